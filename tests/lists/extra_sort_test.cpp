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

// Each partition of [max, 1, 2, .., max-1] moves the next largest to the
// front, the worst case for the stack depth of a recursive quicksort. Run on
// a thread with a small stack, as a worker thread of the engine has.
TEST(ExtraSortTest, WorstCaseForStackDepthRunsOnASmallStack)
{
    constexpr int count = 6000;
    std::vector<std::string> extras{std::to_string(100000 + count)};
    for (int i = 1; i < count; ++i)
        extras.push_back(std::to_string(100000 + i));
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
