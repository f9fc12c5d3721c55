// The sort the lists file is written in.
#include "lists/extra_sort.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <pthread.h>
#include <random>

namespace kvn {
namespace {

ListSequence withExtras(const std::vector<std::string>& extras)
{
    ListSequence sequence;
    for (std::size_t i = 0; i < extras.size(); ++i) {
        ListEntry entry;
        entry.kind = 2;
        entry.extra = extras[i];
        entry.value = std::to_string(i);
        sequence.push_back(entry);
    }
    return sequence;
}

std::vector<std::string> extrasOf(const ListSequence& sequence)
{
    std::vector<std::string> extras;
    for (const ListEntry& entry : sequence)
        extras.push_back(entry.extra);
    return extras;
}

TEST(ExtraSortTest, OrdersBytesUnsignedAndCaseSensitive)
{
    ListSequence sequence = withExtras({"b", "\xC3\xA9", "B", "a", "", "ab"});
    sortByExtra(sequence);
    EXPECT_EQ(extrasOf(sequence), (std::vector<std::string>{"", "B", "a", "ab", "b", "\xC3\xA9"}));
}

TEST(ExtraSortTest, RandomListsWithDuplicatesComeOutSorted)
{
    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round) {
        std::vector<std::string> extras;
        const int size = static_cast<int>(random() % 60);
        for (int i = 0; i < size; ++i)
            extras.push_back(std::string(1, static_cast<char>('a' + random() % 5)));
        ListSequence sequence = withExtras(extras);
        sortByExtra(sequence);
        std::sort(extras.begin(), extras.end());
        ASSERT_EQ(extrasOf(sequence), extras);
    }
}

TEST(ExtraSortTest, EqualExtrasArePartitionedAsTheFileWriterAlwaysDid)
{
    // Pivot "b"(0): i stops at "c"(1), j at "a"(3); swap; then i at "c"(3), j at "a"(1):
    // the pivot swaps with position 1, which gives a b(0) c b(2)... and so on.
    ListSequence sequence = withExtras({"b", "c", "b", "a"});
    sortByExtra(sequence);
    std::vector<std::string> values;
    for (const ListEntry& entry : sequence)
        values.push_back(entry.value);
    EXPECT_EQ(extrasOf(sequence), (std::vector<std::string>{"a", "b", "b", "c"}));
    EXPECT_EQ(values, (std::vector<std::string>{"3", "2", "0", "1"}));
}

// The sort as the file writer has always done it, written plainly: the
// reference for where entries with equal extras go.
void referenceQuickSort(ListSequence& s, int low, int high)
{
    if (low >= high)
        return;
    const std::string pivot = s[static_cast<std::size_t>(low)].extra;
    int i = low + 1;
    int j = high;
    for (;;) {
        while (i <= high && s[static_cast<std::size_t>(i)].extra <= pivot)
            ++i;
        while (s[static_cast<std::size_t>(j)].extra > pivot)
            --j;
        if (i >= j)
            break;
        std::swap(s[static_cast<std::size_t>(i)], s[static_cast<std::size_t>(j)]);
    }
    std::swap(s[static_cast<std::size_t>(low)], s[static_cast<std::size_t>(j)]);
    referenceQuickSort(s, low, j - 1);
    referenceQuickSort(s, j + 1, high);
}

std::vector<std::string> valuesOf(const ListSequence& sequence)
{
    std::vector<std::string> values;
    for (const ListEntry& entry : sequence)
        values.push_back(entry.value);
    return values;
}

// Whatever way the sort takes (nothing to do, every extra distinct, or the
// quicksort for equal extras), every entry lands where the quicksort puts it:
// on random lists, on sorted lists with entries appended, with and without
// equal extras.
TEST(ExtraSortTest, EveryEntryLandsWhereTheQuicksortPutsIt)
{
    std::mt19937 random(3);
    for (int round = 0; round < 400; ++round) {
        const bool withEqual = round % 2 == 0;
        const int size = static_cast<int>(random() % 80);
        std::vector<std::string> extras;
        for (int i = 0; i < size; ++i)
            extras.push_back(withEqual ? std::string(1, static_cast<char>('a' + random() % 6))
                                       : std::to_string(random() % 1000000) + "@" + std::to_string(i));
        if (round % 4 < 2)
            std::sort(extras.begin(), extras.end());
        for (int appended = 0; appended < 3; ++appended)
            extras.push_back(
                withEqual ? "c" : "new" + std::to_string(random() % 1000) + "-" + std::to_string(appended));
        ListSequence sorted = withExtras(extras);
        ListSequence expected = sorted;
        sortByExtra(sorted);
        referenceQuickSort(expected, 0, static_cast<int>(expected.size()) - 1);
        ASSERT_EQ(valuesOf(sorted), valuesOf(expected)) << "round " << round;
    }
}

// Each partition of [max, 1, 2, .., max-1] moves the next largest to the
// front, the worst case for the stack depth of a recursive quicksort. Run on
// a thread with a small stack, as a worker thread of the engine has. One
// extra appears twice, so that the quicksort itself has to run.
TEST(ExtraSortTest, WorstCaseForStackDepthRunsOnASmallStack)
{
    constexpr int count = 6000;
    std::vector<std::string> extras{std::to_string(100000 + count)};
    for (int i = 1; i < count; ++i)
        extras.push_back(std::to_string(100000 + i));
    extras.push_back(extras[1]);
    ListSequence sequence = withExtras(extras);

    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 128 * 1024);
    pthread_t thread;
    const auto sortIt = [](void* argument) -> void* {
        sortByExtra(*static_cast<ListSequence*>(argument));
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, sortIt, &sequence), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
    std::sort(extras.begin(), extras.end());
    EXPECT_EQ(extrasOf(sequence), extras);
}

} // namespace
} // namespace kvn
