// The Ui a part of the process uses: the windows' when the process has a
// QApplication (the host with its window), the console's otherwise.
#pragma once

#include "platform/core/ui.h"

#include <memory>

namespace kvn {

std::unique_ptr<Ui> makeUi();

// Whether the process has a QApplication to show windows with.
bool processHasWindows();

} // namespace kvn
