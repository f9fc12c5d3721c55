#include "ui/ui_factory.h"

#include "ui/qt_ui.h"

#include <QApplication>

#include <cstdlib>

namespace kvn {
namespace {

bool isSet(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

} // namespace

bool displayAvailable() { return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY") || isSet("QT_QPA_PLATFORM"); }

bool processHasWindows() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

std::unique_ptr<Ui> makeUi()
{
    if (processHasWindows())
        return std::make_unique<QtUi>();
    return std::make_unique<ConsoleUi>();
}

} // namespace kvn
