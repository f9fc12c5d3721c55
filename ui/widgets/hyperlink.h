// The hyperlink static: a label drawn in link blue (0, 0, 192) that is
// underlined while the mouse is over it and reports clicks. MakeHyperlink
// marks the label with the properties "_Hyperlink_Original_Proc_",
// "_Hyperlink_Original_Font_", "_Hyperlink_Underline_Font_" and
// "_Hyperlink_From_Static_"; when the hyperlink object goes (with its label,
// or deleted on its own) it restores the label's font and colour and removes
// the marks. GUI thread only.
#pragma once

#include "ui/widgets/address_opener.h"

#include <QFont>
#include <QObject>
#include <QPalette>

#include <QLabel>

namespace kvn::ui {

class Hyperlink final : public QObject {
    Q_OBJECT

public:
    // The blue of the link text.
    static QColor linkColour() { return QColor(0, 0, 192); }

    // Use MakeHyperlink.
    explicit Hyperlink(QLabel* label);
    ~Hyperlink() override;

    QLabel* label() const { return label_; }
    bool isHot() const { return hot_; }

signals:
    // A left click on the label (pressed and released on it).
    void clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setHot(bool hot);

    // The label, used only while it is whole; while it is being destroyed
    // it is no longer a QLabel, so events are matched against `watched_`
    // and nothing is restored once `labelGone_` is set.
    QLabel* label_;
    QObject* watched_;
    bool labelGone_ = false;
    QFont originalFont_;
    QFont underlineFont_;
    QPalette originalPalette_;
    bool hot_ = false;
    bool pressed_ = false;
};

// Turns the label into a hyperlink; the returned object goes with the label
// (deleting it earlier turns the label back into a plain one).
// A label that already is one keeps its hyperlink, which is returned.
Hyperlink* MakeHyperlink(QLabel* control);
// The same, and a click opens `address` through `opener`.
Hyperlink* MakeHyperlink(QLabel* control, const QString& address, AddressOpener opener);

} // namespace kvn::ui
