// One e-mail shown for reading: its headers, its HTML body and the names of
// its attachments. The body is drawn by a text browser that loads nothing
// at all besides the text it is given (no remote or local images or style
// sheets; it has no scripting), and follows no link. GUI thread only.
#pragma once

#include "platform/outlook/outlook.h"

#include <QTextBrowser>
#include <QWidget>

class QLabel;

namespace kvn::host {

// A text browser that refuses every resource a document names.
class ClosedTextBrowser final : public QTextBrowser {
    Q_OBJECT

public:
    explicit ClosedTextBrowser(QWidget* parent = nullptr);
    QVariant loadResource(int type, const QUrl& name) override;
    // How many resources documents asked for (all refused).
    int refusedCount() const { return refused_; }

private:
    int refused_ = 0;
};

class PreviewPane final : public QWidget {
    Q_OBJECT

public:
    explicit PreviewPane(QWidget* parent = nullptr);
    // Shows the e-mail; nullptr clears the pane.
    void showMail(const outlook::MailItemPtr& mail);

    ClosedTextBrowser* body() const { return body_; }
    QString headerText() const;
    QString attachmentText() const;

private:
    QLabel* headers_;
    ClosedTextBrowser* body_;
    QLabel* attachments_;
};

} // namespace kvn::host
