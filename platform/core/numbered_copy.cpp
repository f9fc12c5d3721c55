#include "platform/core/file_system.h"

namespace kvn {

KeptCopy keepNumberedCopy(FileSystem& files, const std::string& base, std::string_view bytes, std::size_t maxBytes)
{
    for (int number = 0; number < 1000; ++number) {
        const std::string path = number == 0 ? base : base + "." + std::to_string(number);
        const FileContents existing = files.readFile(path, maxBytes);
        if (!existing.status.ok() || (existing.existed && existing.bytes != bytes))
            continue;
        if (existing.existed)
            return {Status::success(), path};
        if (Status written = files.replaceFile(path, bytes); !written.ok())
            return {std::move(written), {}};
        return {Status::success(), path};
    }
    return {Status::failure("No free name for a copy of " + base), {}};
}

} // namespace kvn
