#include "lists/extra_sort.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

namespace kvn {
namespace {

// std::string compares through char_traits<char>, whose compare orders bytes
// as unsigned char: the order the file is sorted in.
bool notAbove(const ListEntry& entry, std::string_view pivot) { return std::string_view(entry.extra) <= pivot; }

std::size_t partition(ListSequence& s, std::size_t low, std::size_t high)
{
    const std::string pivot = s[low].extra;
    std::size_t i = low + 1;
    std::size_t j = high;
    for (;;) {
        while (i <= high && notAbove(s[i], pivot))
            ++i;
        while (!notAbove(s[j], pivot))
            --j; // stops at low at the latest: the pivot is not above itself
        if (i >= j)
            break;
        std::swap(s[i], s[j]);
    }
    std::swap(s[low], s[j]);
    return j;
}

// Disjoint ranges are independent, so taking the smaller part first gives the
// same order as lower-part-first while keeping the stack depth logarithmic:
// a reversed list of 100,000 entries must not exhaust a worker thread's stack.
void quickSort(ListSequence& s, std::size_t low, std::size_t high)
{
    while (low < high) {
        const std::size_t j = partition(s, low, high);
        const std::size_t lowerSize = j - low;
        const std::size_t upperSize = high - j;
        if (lowerSize < upperSize) {
            if (j > low)
                quickSort(s, low, j - 1);
            low = j + 1;
        } else {
            if (j < high)
                quickSort(s, j + 1, high);
            if (j == low)
                return;
            high = j - 1;
        }
    }
}

// On a range whose extras strictly increase every partition leaves the
// range as it is, so skipping the sort changes nothing; it spares the
// first-element pivot its quadratic walk over a list saved sorted before.
bool strictlyIncreasing(const ListSequence& s)
{
    for (std::size_t i = 1; i < s.size(); ++i)
        if (!(s[i - 1].extra < s[i].extra))
            return false;
    return true;
}

// When no two extras are equal there is exactly one order sorted by extra,
// so any sort gives what the quicksort gives. A list saved sorted and
// appended to since is the quicksort's worst case (each partition of the
// sorted part peels off one entry), so such lists are sorted in n log n.
// Returns false, leaving the sequence as it was, when two extras are equal:
// then only the quicksort itself says where each of them goes.
bool sortDistinctExtras(ListSequence& s)
{
    std::vector<std::size_t> order(s.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return s[a].extra < s[b].extra; });
    for (std::size_t i = 1; i < order.size(); ++i)
        if (s[order[i - 1]].extra == s[order[i]].extra)
            return false;
    ListSequence sorted;
    sorted.reserve(s.size());
    for (const std::size_t i : order)
        sorted.push_back(std::move(s[i]));
    s = std::move(sorted);
    return true;
}

} // namespace

void sortByExtra(ListSequence& sequence)
{
    if (sequence.size() < 2 || strictlyIncreasing(sequence) || sortDistinctExtras(sequence))
        return;
    quickSort(sequence, 0, sequence.size() - 1);
}

} // namespace kvn
