// Reading a directory in one piece: a directory larger than the first buffer
// is still read whole in one call, and what is not a directory fails.
#include "platform/outlook/whole_directory.h"

#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <set>

namespace kvn::outlook {
namespace {

using namespace kvn::testing;

TEST(WholeDirectory, ALargeDirectoryOfLongNamesIsReadWholeAtOnce)
{
    // On tmpfs a directory's size counts 20 bytes an entry, far less than an
    // entry of a long name takes: the buffer has to grow.
    std::optional<TempFolder> temp;
    if (std::filesystem::is_directory("/dev/shm"))
        temp.emplace("/dev/shm");
    else
        temp.emplace();
    std::set<std::string> written;
    for (int i = 0; i < 3000; ++i) {
        std::string name = std::to_string(i) + std::string(200, 'x');
        writeWholeFile(*temp / name, "");
        written.insert(name);
    }
    auto directory = readWholeDirectory(temp->path());
    ASSERT_TRUE(directory);
    EXPECT_TRUE(directory->atOnce);
    std::set<std::string> read;
    for (const auto& entry : directory->entries) {
        EXPECT_EQ(entry.type, DirectoryEntry::Type::Regular) << entry.name;
        read.insert(entry.name);
    }
    EXPECT_EQ(read.size(), directory->entries.size()) << "an entry given twice";
    EXPECT_EQ(read, written);
}

TEST(WholeDirectory, WhatIsNoDirectoryFails)
{
    TempFolder temp;
    writeWholeFile(temp / "file", "x");
    EXPECT_FALSE(readWholeDirectory(temp / "file"));
    EXPECT_EQ(errno, ENOTDIR);
    EXPECT_FALSE(readWholeDirectory(temp / "missing"));
    EXPECT_EQ(errno, ENOENT);
    std::filesystem::create_directory(temp / "empty");
    auto empty = readWholeDirectory(temp / "empty");
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->entries.empty()) << "no . and ..";
}

} // namespace
} // namespace kvn::outlook
