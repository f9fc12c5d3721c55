// Large blocks stay mapped on their own after a larger one was freed.
#include "platform/core/process_memory.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <cstdlib>

namespace kvn {
namespace {

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define KVN_SANITIZER_HEAP 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__) || defined(KVN_SANITIZER_HEAP)
constexpr bool heapIsTheCLibrarys = false; // the sanitizers bring their own
#else
constexpr bool heapIsTheCLibrarys = true;
#endif

constexpr std::size_t mebibyte = 1024 * 1024;

char* touchedBlock(std::size_t size)
{
    auto* block = static_cast<char*>(std::malloc(size));
    static_cast<volatile char*>(block)[size - 1] = 1; // used: not left out by the compiler
    return block;
}

TEST(ProcessMemory, ALargeBlockIsGivenBackAfterABiggerOneWasFreed)
{
    if (!heapIsTheCLibrarys)
        GTEST_SKIP() << "a sanitizer's allocator is in use";
    keepLargeBlocksMapped();
    // Left to itself, the C library would now take blocks of up to 8 MiB
    // from the heap.
    std::free(touchedBlock(8 * mebibyte));
    const std::size_t mappedBefore = mallinfo2().hblkhd;
    char* listing = touchedBlock(4 * mebibyte);
    EXPECT_GE(mallinfo2().hblkhd, mappedBefore + 4 * mebibyte);
    std::free(listing);
    EXPECT_EQ(mallinfo2().hblkhd, mappedBefore);
}

} // namespace
} // namespace kvn
