#include "ui/recheck_dialog.h"

#include "ui_255-recheck.h"

#include "platform/core/ole_date.h"
#include "ui/dialog_art.h"
#include "ui/dialog_units.h"

#include <QDateTime>

namespace kvn {
namespace {

const QDateTime earliestCheckFromTime(QDate(2000, 1, 1), QTime(0, 0, 0));

QDateTime dateTimeOfOleDate(double oleDate)
{
    const std::optional<std::tm> local = localFromOleDate(oleDate);
    if (!local)
        return earliestCheckFromTime;
    return QDateTime(QDate(local->tm_year + 1900, local->tm_mon + 1, local->tm_mday),
        QTime(local->tm_hour, local->tm_min, local->tm_sec));
}

double oleDateOf(QDate day, QTime time)
{
    std::tm local{};
    local.tm_year = day.year() - 1900;
    local.tm_mon = day.month() - 1;
    local.tm_mday = day.day();
    local.tm_hour = time.hour();
    local.tm_min = time.minute();
    local.tm_sec = time.second();
    local.tm_isdst = -1;
    return oleDateFromLocal(local);
}

QString currentTimeText(double startTime)
{
    const std::optional<std::tm> local = localFromOleDate(startTime);
    const std::string when = local ? formatLocalTime(*local, "%d %b %Y  %X") : std::string();
    return QStringLiteral("KVN currently checks all unread e-mails received after\n") + QString::fromStdString(when);
}

} // namespace

double recheckStartTime(double checkFromTime)
{
    return checkFromTime > 0 ? checkFromTime : oleDateOf(earliestCheckFromTime.date(), earliestCheckFromTime.time());
}

RecheckDialog::RecheckDialog(double checkFromTime, const Clock& now, QWidget* parent)
    : QDialog(parent), form_(std::make_unique<::Ui::RecheckDialogForm>())
{
    form_->setupUi(this);
    setFixedSize(dialogUnitsToPixels(235, 147));
    form_->icon_253->setPixmap(dialogPicture(DialogPicture::ProductIcon, 32));

    // The formats come first: a picker whose format shows only a date or only
    // a time narrows its range to whole days or to one day when it is set.
    // "ddd dd-MMM-yyy" of the date picker: the full year after the month.
    form_->control_251->setDisplayFormat(QStringLiteral("ddd dd-MMM-yyyy"));
    form_->control_252->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    const double start = recheckStartTime(checkFromTime);
    const QDateTime latest = std::max(dateTimeOfOleDate(now.nowOleDate()), earliestCheckFromTime);
    form_->control_251->setDateRange(earliestCheckFromTime.date(), latest.date());
    form_->control_251->setDate(dateTimeOfOleDate(start).date());
    // A time picker holds one day: on the latest day it allows no time after
    // the latest moment, so that the two together never lie after now.
    auto limitTime = [this, latest](QDate day) {
        form_->control_252->setTimeRange(QTime(0, 0, 0), day >= latest.date() ? latest.time() : QTime(23, 59, 59));
    };
    limitTime(form_->control_251->date());
    form_->control_252->setTime(dateTimeOfOleDate(start).time());
    connect(form_->control_251, &QDateTimeEdit::dateChanged, this, limitTime);
    form_->control_249->setText(currentTimeText(start));

    connect(form_->control_250, &QCheckBox::toggled, this, [this](bool all) { followRecheckAll(all); });
    connect(form_->control_1, &QPushButton::clicked, this, &QDialog::accept);
    connect(form_->control_2, &QPushButton::clicked, this, &QDialog::reject);
}

RecheckDialog::~RecheckDialog() = default;

void RecheckDialog::followRecheckAll(bool all)
{
    for (QWidget* control :
        std::initializer_list<QWidget*>{form_->control_253, form_->control_254, form_->control_251, form_->control_252})
        control->setEnabled(!all);
}

double RecheckDialog::chosenCheckFromTime() const
{
    if (form_->control_250->isChecked())
        return 0;
    return oleDateOf(form_->control_251->date(), form_->control_252->time());
}

std::optional<double> runRecheckDialog(double checkFromTime)
{
    RecheckDialog dialog(checkFromTime, systemClock());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.chosenCheckFromTime();
}

} // namespace kvn
