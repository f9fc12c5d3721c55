// The Ui of a program whose only window is a message box: the box is a Qt
// message box, the shell's "open" is the desktop's (QDesktopServices); files
// are not chosen, progress goes to standard error, and balloons are written
// there as the console's are. Needs a QApplication; GUI thread only.
#pragma once

#include "platform/core/ui.h"

#include <memory>

namespace kvn::plugprobe {

std::unique_ptr<Ui> makeMessageBoxUi();

} // namespace kvn::plugprobe
