#include "ui/widgets/list_text_order.h"

#include <QStringView>

namespace kvn::ui {

namespace {

bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

bool allDigits(QStringView text)
{
    for (QChar c : text) {
        if (!isAsciiDigit(c))
            return false;
    }
    return true;
}

bool isDayMonthYear(QStringView text)
{
    if (text.size() != 10 || text[2] != u'/' || text[5] != u'/')
        return false;
    return allDigits(text.mid(0, 2)) && allDigits(text.mid(3, 2)) && allDigits(text.mid(6, 4));
}

// The leading run of digits without its leading zeros: the number's digits.
QStringView significantDigits(QStringView text)
{
    qsizetype end = 0;
    while (end < text.size() && isAsciiDigit(text[end]))
        ++end;
    qsizetype start = 0;
    while (start < end && text[start] == u'0')
        ++start;
    return text.mid(start, end - start);
}

// Compares the leading numbers of two texts without converting them, so that
// a run of digits longer than any integer type still orders correctly.
int compareNumbers(QStringView first, QStringView second)
{
    QStringView a = significantDigits(first);
    QStringView b = significantDigits(second);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

int compareDayMonthYear(QStringView first, QStringView second)
{
    if (int year = compareNumbers(first.mid(6), second.mid(6)))
        return year;
    if (int month = compareNumbers(first.mid(3), second.mid(3)))
        return month;
    return compareNumbers(first, second);
}

} // namespace

int compareListTexts(const QString& first, const QString& second)
{
    if (allDigits(first))
        return compareNumbers(first, second);
    if (isDayMonthYear(first))
        return compareDayMonthYear(first, second);
    return QString::localeAwareCompare(first, second);
}

} // namespace kvn::ui
