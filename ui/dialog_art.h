// The windows' pictures, drawn when first asked for: the product's icon (a
// round glossy blue button bearing an "@", resource 225) and its yellow and
// orange twin (228) that the banner blinks with, and the default-inbox list's
// mail store (a house with an envelope, 248) and inbox tray (249). GUI thread.
#pragma once

#include <QPixmap>

namespace kvn {

enum class DialogPicture { ProductIcon = 225, BlinkIcon = 228, MailStore = 248, InboxTray = 249 };

// The picture at side × side pixels (32 for the icons, 16 for the list).
QPixmap dialogPicture(DialogPicture picture, int side);

} // namespace kvn
