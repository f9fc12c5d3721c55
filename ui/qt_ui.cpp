#include "ui/qt_ui.h"

#include "ui/qt_ui_boxes.h"
#include "ui/widgets/balloon.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QProgressDialog>
#include <QThread>
#include <QUrl>

#include <map>
#include <type_traits>

namespace kvn {
namespace {

// Runs `work` on the GUI thread and gives its result: at once on the GUI
// thread, else as a queued call the calling thread waits for.
template <class Work> auto onGuiThread(Work work) -> std::invoke_result_t<Work>
{
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr || QThread::currentThread() == application->thread())
        return work();
    std::invoke_result_t<Work> result{};
    QMetaObject::invokeMethod(
        application, [&result, &work] { result = work(); }, Qt::BlockingQueuedConnection);
    return result;
}

} // namespace

struct QtUi::Progress {
    std::map<std::string, QProgressDialog*> dialogs;
};

QtUi::QtUi() : progress_(std::make_unique<Progress>()) { }

QtUi::~QtUi()
{
    for (const auto& [caption, dialog] : progress_->dialogs)
        delete dialog;
}

MessageAnswer QtUi::showMessage(const MessageRequest& request)
{
    return onGuiThread([&request] { return qt_boxes::runMessageBox(request); });
}

std::optional<std::string> QtUi::chooseFileToOpen(const FileOpenRequest& request)
{
    return onGuiThread([&request] { return qt_boxes::runFileOpenBox(request); });
}

std::optional<double> QtUi::chooseDateTime(const std::string& caption, const std::string& text, double initial)
{
    return onGuiThread([&] { return qt_boxes::runDateTimeBox(caption, text, initial); });
}

void QtUi::showProgress(const std::string& caption, int position)
{
    onGuiThread([this, &caption, position] {
        QProgressDialog*& dialog = progress_->dialogs[caption];
        if (dialog == nullptr) {
            dialog = new QProgressDialog(QString::fromStdString(caption), QString(), 0, 100, qt_boxes::boxParent());
            dialog->setWindowTitle(QString::fromStdString(caption));
            dialog->setMinimumDuration(0);
            dialog->setAutoClose(false);
            dialog->setAutoReset(false);
        }
        dialog->setValue(std::clamp(position, 0, 100));
        if (position >= 100) {
            dialog->deleteLater();
            progress_->dialogs.erase(caption);
        }
        return 0;
    });
}

bool QtUi::openWithShell(const std::string& fileOrAddress, const std::string& workingFolder)
{
    return onGuiThread([&] {
        const QString base = workingFolder.empty() ? QDir::currentPath() : QString::fromStdString(workingFolder);
        const QUrl url = QUrl::fromUserInput(QString::fromStdString(fileOrAddress), base, QUrl::AssumeLocalFile);
        return url.isValid() && QDesktopServices::openUrl(url);
    });
}

void QtUi::showBalloon(const BalloonRequest& request)
{
    // Queued also on the GUI thread, so that the caller never waits.
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr)
        return;
    QMetaObject::invokeMethod(
        application,
        [request] {
            if (QWidget* balloon = ui::LaunchCornerBalloon(request))
                balloon->setObjectName("balloon");
        },
        Qt::QueuedConnection);
}

} // namespace kvn
