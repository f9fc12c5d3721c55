#include "lists/extra_sort.h"

#include <string_view>
#include <utility>

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

} // namespace

void sortByExtra(ListSequence& sequence)
{
    if (sequence.size() > 1 && !strictlyIncreasing(sequence))
        quickSort(sequence, 0, sequence.size() - 1);
}

} // namespace kvn
