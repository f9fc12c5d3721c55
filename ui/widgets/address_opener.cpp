#include "ui/widgets/address_opener.h"

#include <QDesktopServices>
#include <QUrl>

namespace kvn::ui {

AddressOpener desktopAddressOpener()
{
    return [](const QString& address) { QDesktopServices::openUrl(QUrl::fromUserInput(address)); };
}

} // namespace kvn::ui
