// The user-facing services drawn with Qt Widgets: message boxes, the
// file-open box, a progress dialog, a small balloon, the date box and the
// desktop's "open". Any thread may call them: a call from another thread is
// carried out on the GUI thread while the caller waits for the answer; on the
// GUI thread itself it runs at once. A QApplication must exist while the
// object is used.
#pragma once

#include "platform/core/ui.h"

#include <memory>
#include <string>

namespace kvn {

class QtUi final : public Ui {
public:
    QtUi();
    ~QtUi() override;
    QtUi(const QtUi&) = delete;
    QtUi& operator=(const QtUi&) = delete;

    MessageAnswer showMessage(const MessageRequest& request) override;
    std::optional<std::string> chooseFileToOpen(const FileOpenRequest& request) override;
    // A progress dialog per caption; it closes at 100.
    void showProgress(const std::string& caption, int position) override;
    bool openWithShell(const std::string& fileOrAddress, const std::string& workingFolder) override;
    void showBalloon(const BalloonRequest& request) override;
    std::optional<double> chooseDateTime(const std::string& caption, const std::string& text, double initial) override;

private:
    struct Progress;
    std::unique_ptr<Progress> progress_; // GUI thread only
};

// The file-open filter "Desc (*.a)|*.a;*.b|Other|*.c||" in Qt's form:
// "Desc (*.a *.b);;Other (*.c)". A pair without a pattern is left out; an
// empty or unusable filter gives "All files (*)".
std::string qtFileFilter(const std::string& filter);

} // namespace kvn
