// The window of a new e-mail: To, Subject and the text, and Send. Send
// raises ItemSend (a handler may cancel: then nothing is sent and the window
// stays), hands the message to the profile's sendmail command and files it,
// read, in the Sent folder (host/mail_sending.h). When sending fails the
// user is told why (through the Ui service) and the draft stays open, so
// that nothing typed is lost. A sent e-mail closes the window.
//
// The window shows a new item (from CreateItem): its To, Subject and text
// prefilled. An item whose body was set as HTML keeps that HTML when it is
// sent with its text unchanged; once the text is edited, the e-mail is sent
// as the plain text shown.
//
// Threads: the GUI thread only.
#pragma once

#include "host/mail_sending.h"
#include "platform/core/ui.h"

#include <QWidget>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kvn::host {

class ComposeWindow final : public QWidget {
public:
    // `sending` and `ui` must outlive the window.
    ComposeWindow(outlook::MailItemPtr item, MailSending& sending, Ui& ui, QWidget* parent = nullptr);

    // What the Send button does; true when the e-mail was sent (the window
    // is then closed).
    bool send();

    const outlook::MailItemPtr& item() const { return item_; }
    QLineEdit& toField() const { return *to_; }
    QLineEdit& subjectField() const { return *subject_; }
    QPlainTextEdit& bodyField() const { return *body_; }
    QPushButton& sendButton() const { return *send_; }

private:
    void showTitle();
    // Puts what the fields hold into the item.
    void takeFields();

    outlook::MailItemPtr item_;
    MailSending& sending_;
    Ui& ui_;
    bool keepsHtml_ = false;
    QLineEdit* to_;
    QLineEdit* subject_;
    QPlainTextEdit* body_;
    QPushButton* send_;
};

// Shows the item in a compose window of its own (deleted when it closes),
// or brings its window to the front when it already has one. The window;
// nullptr for no item, or a stored e-mail. Any thread: from another thread
// the GUI thread opens it and the caller waits.
ComposeWindow* openComposeWindow(const outlook::MailItemPtr& item, MailSending& sending, Ui& ui);

// Makes Display() of the application's new e-mails open compose windows.
// `sending` and `ui` must outlive the application's use of it.
void installComposeWindows(HostApplication& application, MailSending& sending, Ui& ui);

} // namespace kvn::host
