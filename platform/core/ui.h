// The user-facing services every part of the system uses: the modal message
// The user-facing services every part of the system uses: the modal message
// box, the file-open box, the progress of a long step shown without a window,
// the reminder balloon and the shell's "open this file or address". Worker
// threads may call them; an implementation marshals to its user-interface
// thread itself.
#pragma once

#include <optional>
#include <string>

namespace kvn {

enum class MessageIcon { None, Error, Warning, Information, Question };

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };

// The button pressed. The numbers are the ones Windows message boxes return,
// so that code comparing with them reads as it always did.
enum class MessageAnswer { Ok = 1, Cancel = 2, Retry = 4, Yes = 6, No = 7 };

struct MessageRequest {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    // Which of the buttons is the default: 0 the first, 1 the second, 2 the third.
    int defaultButton = 0;
};

// The file-open box: a file that must exist, of the types the filter names
// ("KVN List (*.lst)|*.lst||": description and pattern pairs, each followed
// by "|"), with a file name proposed.
struct FileOpenRequest {
    std::string filter;
    std::string fileName;
};

// A balloon in the corner of the work area that closes itself after its
// display time; it takes no answer.
struct BalloonRequest {
    std::string title;
    std::string text;
    MessageIcon icon = MessageIcon::None;
    int durationMilliseconds = 3000;
};

// The answer a box gives when the user just presses Enter.
MessageAnswer defaultAnswer(const MessageRequest& request);

class Ui {
public:
    virtual ~Ui() = default;
    virtual MessageAnswer showMessage(const MessageRequest& request) = 0;
    // The file the user chose, or none when the box was cancelled or cannot be
    // shown. The process's current folder is the same afterwards.
    virtual std::optional<std::string> chooseFileToOpen(const FileOpenRequest& request) = 0;
    // The position (0..100) of a bar with this caption, for a long step that
    // runs without its window; called when the position changes.
    virtual void showProgress(const std::string& caption, int position) = 0;
    // Opens a file or an address with the desktop's preferred program.
    // False when nothing could be started.
    virtual bool openWithShell(const std::string& fileOrAddress, const std::string& workingFolder) = 0;
    // Shows the balloon and returns at once, without waiting for it to close.
    virtual void showBalloon(const BalloonRequest& request) = 0;
    // A date and time, proposed as `initial` (an OLE date; 0 or less = now), asked with the caption and text;
    // none when the user cancelled or it cannot be asked.
    virtual std::optional<double> chooseDateTime(const std::string& caption, const std::string& text, double initial)
        = 0;
};

// For command-line use: writes caption and text (and a balloon's title and
// text) to stderr and answers with the box's default button; chooses no file;
// writes progress to stderr as "caption: N%"; opens with xdg-open; asks
// for no date.
class ConsoleUi final : public Ui {
public:
    MessageAnswer showMessage(const MessageRequest& request) override;
    std::optional<std::string> chooseFileToOpen(const FileOpenRequest& request) override;
    void showProgress(const std::string& caption, int position) override;
    bool openWithShell(const std::string& fileOrAddress, const std::string& workingFolder) override;
    void showBalloon(const BalloonRequest& request) override;
    // Chooses none: there is nobody to ask.
    std::optional<double> chooseDateTime(const std::string& caption, const std::string& text, double initial) override;
};

} // namespace kvn
