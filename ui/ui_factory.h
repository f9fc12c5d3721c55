// The Ui a part of the process uses: the windows' when the process has a
// QApplication (the host with its window), the console's otherwise.
#pragma once

#include "platform/core/ui.h"

#include <memory>

namespace kvn {

std::unique_ptr<Ui> makeUi();

// Whether the process has a QApplication to show windows with.
bool processHasWindows();

// Whether the toolkit has somewhere to draw: a display, a Wayland display or
// an explicitly chosen platform (QT_QPA_PLATFORM). Before a QApplication is
// made, which would end the process without one.
bool displayAvailable();

} // namespace kvn
