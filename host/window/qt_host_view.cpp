#include "host/window/qt_host_view.h"

#include "host/mail_sending.h"
#include "host/window/command_bar_toolbars.h"
#include "host/window/compose_window.h"
#include "host/window/main_window.h"
#include "platform/outlook/outlook_folder.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSocketNotifier>

namespace kvn::host {
namespace {

// File → New: a new e-mail in its own window, as an add-in's Display() of a
// created item opens it.
void addNewMailCommand(MainWindow& window, HostApplication& application)
{
    auto* newMail = new QAction(QObject::tr("&New E-Mail"), &window);
    newMail->setShortcut(QKeySequence::New);
    QObject::connect(newMail, &QAction::triggered, &window, [&application] {
        const outlook::ApplicationPtr model = application.objectModel();
        const outlook::ItemPtr item = model ? model->createItem(outlook::olMailItem) : nullptr;
        if (const outlook::MailItemPtr mail = item ? item->asMailItem() : nullptr)
            (void)mail->display();
    });
    window.fileMenu()->insertAction(window.quitAction(), newMail);
    window.fileMenu()->insertSeparator(window.quitAction());
}

} // namespace

void QtHostView::run(const HostViewContext& context, int wakeupDescriptor, const std::function<bool()>& takePosted)
{
    MailSending sending(context.application, sendingSettings(context.registry, context.profile), context.sent);
    installComposeWindows(context.application, sending, context.ui);
    MainWindow window(context.application, context.registry, context.stores, context.profile);
    addNewMailCommand(window, context.application);
    // The add-ins have connected and built their bars by now.
    CommandBarToolbars toolbars(window, context.application.explorer()->commandBars());
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
    // Display() must not reach the window's compose windows once they are gone.
    context.application.setDisplayHandler({});
}

} // namespace kvn::host
