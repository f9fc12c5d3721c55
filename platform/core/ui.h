// The user-facing services every part of the system uses: the modal message
// box, the shell's "open this file or address" and the reminder balloon. Worker threads may call
// them; an implementation marshals to its user-interface thread itself.
#pragma once

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
    // Opens a file or an address with the desktop's preferred program.
    // False when nothing could be started.
    virtual bool openWithShell(const std::string& fileOrAddress, const std::string& workingFolder) = 0;
    // Shows the balloon and returns at once, without waiting for it to close.
    virtual void showBalloon(const BalloonRequest& request) = 0;
};

// For command-line use: writes caption and text (and a balloon's title and
// text) to stderr and answers with the box's default button; opens with
// xdg-open.
class ConsoleUi final : public Ui {
public:
    MessageAnswer showMessage(const MessageRequest& request) override;
    bool openWithShell(const std::string& fileOrAddress, const std::string& workingFolder) override;
    void showBalloon(const BalloonRequest& request) override;
};

} // namespace kvn
