// The re-check dialog (dialog 255, "Re-check unread e-mails"): asks from when
// on unread e-mails are to be checked again. It opens on the current
// check-from time (an OLE date), or 1 January 2000 00:00:00 when that is 0 or
// less; the pickers allow 1 January 2000 00:00:00 up to the dialog's "now"
// and no other time (the date picker the days from 1 January 2000 to today,
// the time picker no time after now's while the date picker shows today). Ticking "Re-check all unread e-mails" (250)
// disables the "Re-check after :" group (253), its label (254) and the pickers (251, 252). "Re-check Now!" gives 0 (all
// unread e-mails) while the box is ticked, else the date picker's day at the time picker's time of day, as local time.
//
// Controls by object name: control_250, control_253 (the group), control_254,
// control_251 (date), control_252 (time), control_249 (the current time's
// text), icon_253, control_1 ("Re-check Now!"), control_2 ("Cancel").
// GUI thread only.
#pragma once

#include "platform/core/clock.h"

#include <QDialog>

#include <memory>
#include <optional>

namespace Ui {
class RecheckDialogForm;
}

namespace kvn {

class RecheckDialog final : public QDialog {
public:
    // now gives the upper end of the pickers' range when the dialog opens.
    RecheckDialog(double checkFromTime, const Clock& now, QWidget* parent = nullptr);
    ~RecheckDialog() override;

    // The OLE date "Re-check Now!" gives for what the controls show now.
    double chosenCheckFromTime() const;

private:
    void followRecheckAll(bool all);

    std::unique_ptr<::Ui::RecheckDialogForm> form_;
};

// Shows the dialog modally; the new check-from time (0: all unread e-mails),
// or none when it was cancelled.
std::optional<double> runRecheckDialog(double checkFromTime);

// The start value the dialog opens on, as an OLE date.
double recheckStartTime(double checkFromTime);

} // namespace kvn
