// The POSIX file layer with its sync call replaceable, so that a test can see
// what a failing fsync (an I/O error, a full thin-provisioned disk) does to a
// write. For the platform layer and its tests; everyone else uses
// realFileSystem().
#pragma once

#include "platform/core/file_system.h"

#include <memory>

namespace kvn {

// fsync(2) or a stand-in with its contract: 0, or -1 with errno set.
using SyncCall = int (*)(int fd);

std::unique_ptr<FileSystem> makePosixFileSystem(SyncCall sync);

} // namespace kvn
