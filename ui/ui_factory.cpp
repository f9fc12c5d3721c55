#include "ui/ui_factory.h"

#include "ui/qt_ui.h"

#include <QApplication>

namespace kvn {

std::unique_ptr<Ui> makeUi()
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr)
        return std::make_unique<QtUi>();
    return std::make_unique<ConsoleUi>();
}

} // namespace kvn
