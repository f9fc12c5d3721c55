#include "ui/ui_factory.h"

#include "ui/qt_ui.h"

#include <QApplication>

namespace kvn {
bool processHasWindows() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

std::unique_ptr<Ui> makeUi()
{
    if (processHasWindows())
        return std::make_unique<QtUi>();
    return std::make_unique<ConsoleUi>();
}

} // namespace kvn
