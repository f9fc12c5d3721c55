// A new e-mail as CreateItem(olMailItem) gives it: kept in memory, its
// fields set by the caller, composed as a message when it is sent. Whoever
// shows windows hands in what display() does.
#pragma once

#include "platform/outlook/outlook_items.h"

#include <functional>

namespace kvn::outlook {

// Shows the item (see MailItem::display); false when it cannot be shown.
using DisplayHandler = std::function<bool(const MailItemPtr& item)>;

// A new, empty e-mail. Without a handler display() answers false.
MailItemPtr makeNewMailItem(DisplayHandler display = {});

} // namespace kvn::outlook
