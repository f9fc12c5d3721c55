// How the sortable list orders two texts of a column. The first text decides
// the method, so that a column of counts, of dates or of names each sorts as
// a reader expects:
//   - digits only (the empty text included): both as decimal integers, of any
//     length (a text that does not start with digits counts as 0);
//   - "dd/mm/yyyy" (two digits, "/", two digits, "/", four digits): by the
//     year, then the month, then the day;
//   - anything else: the locale's case-sensitive comparison.
#pragma once

#include <QString>

namespace kvn::ui {

// Negative when `first` goes before `second`, 0 when they tie, positive after.
int compareListTexts(const QString& first, const QString& second);

} // namespace kvn::ui
