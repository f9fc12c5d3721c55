#include "host/window/qt_host_view.h"

#include "host/window/main_window.h"

#include <QApplication>
#include <QSocketNotifier>

#include <cstdlib>

namespace kvn::host {
namespace {

bool isSet(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

} // namespace

void QtHostView::run(const HostViewContext& context, int wakeupDescriptor, const std::function<bool()>& takePosted)
{
    MainWindow window(context.application, context.registry, context.stores, context.profile);
    QSocketNotifier posted(wakeupDescriptor, QSocketNotifier::Read);
    QObject::connect(&posted, &QSocketNotifier::activated, &window, [&takePosted] {
        if (!takePosted())
            QApplication::quit();
    });
    window.show();
    if (shown_)
        shown_(window);
    QApplication::exec();
    (void)window.saveSettings();
}

bool displayAvailable() { return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY") || isSet("QT_QPA_PLATFORM"); }

} // namespace kvn::host
