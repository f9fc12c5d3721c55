// How a widget opens a web or mail address when the user clicks it: a
// callback, so that a window can route it through the Ui service and a test
// can record it.
#pragma once

#include <QString>
#include <functional>

namespace kvn {
class Ui;
}

namespace kvn::ui {

// Opens the address with the desktop's default program. Called on the GUI
// thread; the result is not looked at (a failure to start is the desktop's
// to report).
using AddressOpener = std::function<void(const QString& address)>;

// The desktop's own opener (the shell's "open" verb).
AddressOpener desktopAddressOpener();
// Opens through the Ui service's openWithShell, as UTF-8, with no working
// folder. The service must outlive the opener.
AddressOpener shellAddressOpener(Ui& ui);

} // namespace kvn::ui
