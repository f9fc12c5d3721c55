#include "ui/widgets/address_opener.h"

#include "platform/core/ui.h"

#include <QDesktopServices>
#include <QUrl>

namespace kvn::ui {

AddressOpener desktopAddressOpener()
{
    return [](const QString& address) { QDesktopServices::openUrl(QUrl::fromUserInput(address)); };
}

AddressOpener shellAddressOpener(Ui& ui)
{
    return [&ui](const QString& address) { (void)ui.openWithShell(address.toStdString(), std::string()); };
}

} // namespace kvn::ui
