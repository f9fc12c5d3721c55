// The sort the lists file is written in: Address and Domain sequences ordered
// by extra, bytes compared unsigned (case-sensitive).
#pragma once

#include "lists/filter_lists.h"

namespace kvn {

// In-place quicksort with the first element of each range as its pivot: i
// moves up over extras <= pivot, j down over extras > pivot, i and j swap
// while i < j, then the pivot swaps with j. Entries with equal extras end up
// in the order this partitioning gives them, which files written before rely
// on being reproduced. When every extra differs, the one sorted order is
// reached in n log n instead (the quicksort is quadratic on a sorted list
// with entries appended, the case of every save).
void sortByExtra(ListSequence& sequence);

} // namespace kvn
