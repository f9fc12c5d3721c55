// The boxes QtUi shows, each built and run on the GUI thread.
#pragma once

#include "platform/core/ui.h"

#include <optional>
#include <string>

class QWidget;

namespace kvn::qt_boxes {

// The window a box is shown over: the active window, or none.
QWidget* boxParent();

MessageAnswer runMessageBox(const MessageRequest& request);
std::optional<std::string> runFileOpenBox(const FileOpenRequest& request);
std::optional<double> runDateTimeBox(const std::string& caption, const std::string& text, double initial);

} // namespace kvn::qt_boxes
