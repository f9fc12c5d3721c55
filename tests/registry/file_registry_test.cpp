// The file registry over a real registry folder: operations, names, files,
// other writers, broken and unreadable hives, failing writes.
#include "platform/core/file_system.h"
#include "platform/registry/registry.h"

#include "tests/support/temp_folder.h"
#include "tests/support/unprivileged.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace kvn::registry {
namespace {

using testing::readWholeFile;
using testing::TempFolder;
using testing::writeWholeFile;

constexpr Hive hklm = Hive::LocalMachine;

using testing::modeOf;

std::string stringAt(Registry& registry, std::string_view path, std::string_view name)
{
    const std::optional<Value> value = registry.queryValue(hklm, path, name, 1024);
    return value ? value->bytes : "<missing>";
}

struct Problems {
    std::vector<std::string> messages;
    FileRegistryOptions options()
    {
        FileRegistryOptions options;
        options.reportProblem = [this](const std::string& message) { messages.push_back(message); };
        return options;
    }
};

TEST(FileRegistry, KeysAndValuesComeAndGo)
{
    TempFolder folder;
    const auto registry = openFileRegistry(folder.path());

    EXPECT_FALSE(registry->keyExists(hklm, "Software\\KVN"));
    EXPECT_TRUE(registry->keyExists(hklm, ""));
    EXPECT_TRUE(registry->createKey(hklm, "Software\\KVN\\Default"));
    EXPECT_TRUE(registry->createKey(hklm, "Software\\KVN\\Default"));
    EXPECT_TRUE(registry->keyExists(hklm, "Software\\KVN"));

    EXPECT_TRUE(registry->setValue(hklm, "Software\\KVN\\Other", "B", stringValue("b")));
    EXPECT_TRUE(registry->setValue(hklm, "Software\\KVN\\Other", "A", dwordValue(7)));
    EXPECT_EQ(registry->subKeyNames(hklm, "Software\\KVN"), (std::vector<std::string>{"Default", "Other"}));
    EXPECT_EQ(registry->valueNames(hklm, "Software\\KVN\\Other"), (std::vector<std::string>{"B", "A"}));
    EXPECT_EQ(registry->queryValue(hklm, "Software\\KVN\\Other", "A", 4)->bytes, dwordValue(7).bytes);
    EXPECT_FALSE(registry->queryValue(hklm, "Software\\KVN\\Other", "B", 0)) << "larger than the caller's limit";

    EXPECT_TRUE(registry->deleteValue(hklm, "Software\\KVN\\Other", "B"));
    EXPECT_FALSE(registry->deleteValue(hklm, "Software\\KVN\\Other", "B"));
    EXPECT_FALSE(registry->deleteValue(hklm, "Software\\Missing", "B"));
    EXPECT_TRUE(registry->deleteKey(hklm, "Software\\KVN"));
    EXPECT_FALSE(registry->keyExists(hklm, "Software\\KVN\\Other"));
    EXPECT_FALSE(registry->deleteKey(hklm, "Software\\KVN"));
    EXPECT_FALSE(registry->deleteKey(hklm, ""));
    EXPECT_TRUE(registry->subKeyNames(hklm, "Software\\KVN").empty());

    EXPECT_FALSE(registry->setValue(hklm, "Software\\Bad\nKey", "x", dwordValue(1)));
    EXPECT_FALSE(registry->setValue(hklm, "Software", "bad\rname", dwordValue(1)));
}

TEST(FileRegistry, NamesIgnoreCaseAndKeepTheCaseTheyWereCreatedWith)
{
    TempFolder folder;
    const auto registry = openFileRegistry(folder.path());
    ASSERT_TRUE(registry->setValue(hklm, "Software\\Brindlecraft", "StartUp", dwordValue(1)));
    ASSERT_TRUE(registry->setValue(hklm, "SOFTWARE\\brindlecraft\\\xC3\x89T\xC3\x89", "startup", dwordValue(2)));
    ASSERT_TRUE(registry->setValue(hklm, "software\\BRINDLECRAFT", "STARTUP", dwordValue(3)));

    EXPECT_EQ(registry->subKeyNames(hklm, ""), std::vector<std::string>{"Software"});
    EXPECT_EQ(registry->valueNames(hklm, "software\\brindlecraft"), std::vector<std::string>{"StartUp"});
    EXPECT_EQ(registry->queryValue(hklm, "Software\\Brindlecraft", "startUP", 4)->bytes, dwordValue(3).bytes);
    EXPECT_TRUE(registry->keyExists(hklm, "software\\brindlecraft\\\xC3\xA9t\xC3\xA9"));
    EXPECT_TRUE(registry->keyExists(hklm, "\\Software\\\\Brindlecraft\\"));
}

TEST(FileRegistry, HivesArePrivateFilesAPersonCanRead)
{
    TempFolder folder;
    const std::string registryFolder = folder / "config/korvane/registry";
    const auto registry = openFileRegistry(registryFolder);
    EXPECT_FALSE(std::filesystem::exists(registryFolder)) << "nothing is made before the first write";
    EXPECT_FALSE(registry->keyExists(hklm, "Software"));

    ASSERT_TRUE(registry->setValue(hklm, "Software\\Brindlecraft\\KVN", "Install_Dir", stringValue("/opt/kvn")));
    ASSERT_TRUE(registry->setValue(Hive::CurrentUser, "Software\\ODBC", "", stringValue("x")));
    EXPECT_EQ(modeOf(registryFolder), 0700);
    EXPECT_EQ(modeOf(registryFolder + "/HKEY_LOCAL_MACHINE.reg"), 0600);
    EXPECT_EQ(readWholeFile(registryFolder + "/HKEY_LOCAL_MACHINE.reg"),
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_LOCAL_MACHINE\\Software]\n\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Brindlecraft]\n\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Brindlecraft\\KVN]\n"
        "\"Install_Dir\"=\"/opt/kvn\"\n\n");
    EXPECT_NE(
        readWholeFile(registryFolder + "/HKEY_CURRENT_USER.reg").find("[HKEY_CURRENT_USER\\Software\\ODBC]\n@=\"x\""),
        std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(registryFolder + "/HKEY_CLASSES_ROOT.reg"));
}

TEST(FileRegistry, SeesWhatOtherWritersAndEditorsChanged)
{
    TempFolder folder;
    const auto reader = openFileRegistry(folder.path());
    const auto writer = openFileRegistry(folder.path());
    ASSERT_TRUE(writer->setValue(hklm, "K", "N", stringValue("one")));
    EXPECT_EQ(stringAt(*reader, "K", "N"), "one");
    ASSERT_TRUE(writer->setValue(hklm, "K", "N", stringValue("two")));
    EXPECT_EQ(stringAt(*reader, "K", "N"), "two");

    // An editor that writes the file in place, keeping its size.
    const std::string hive = folder / "HKEY_LOCAL_MACHINE.reg";
    std::string text = readWholeFile(hive);
    text.replace(text.find("two"), 3, "six");
    writeWholeFile(hive, text);
    EXPECT_EQ(stringAt(*reader, "K", "N"), "six");

    std::filesystem::remove(hive);
    EXPECT_EQ(stringAt(*reader, "K", "N"), "<missing>");
}

TEST(FileRegistry, KeepsABrokenHiveBesideItBeforeTheFirstWrite)
{
    TempFolder folder;
    Problems problems;
    const auto registry = openFileRegistry(folder.path(), problems.options());
    const std::string hive = folder / "HKEY_LOCAL_MACHINE.reg";
    const std::string broken = "Windows Registry Editor Version 5.00\n\n"
                               "; hand edited\n"
                               "[HKEY_LOCAL_MACHINE\\Software\\KVN]\n"
                               "\"Kept\"=dword:00000005\n"
                               "\"Lost\" dword:00000006\n";
    writeWholeFile(hive, broken);

    EXPECT_EQ(registry->queryValue(hklm, "Software\\KVN", "Kept", 4)->bytes, dwordValue(5).bytes);
    EXPECT_TRUE(registry->keyExists(hklm, "Software\\KVN"));
    ASSERT_EQ(problems.messages.size(), 1u) << "reported once, however often it is read";
    EXPECT_NE(problems.messages[0].find("line 6"), std::string::npos) << problems.messages[0];
    EXPECT_FALSE(std::filesystem::exists(hive + ".bad")) << "reading alone changes nothing";

    ASSERT_TRUE(registry->setValue(hklm, "Software\\KVN", "New", dwordValue(1)));
    EXPECT_EQ(readWholeFile(hive + ".bad"), broken);
    const std::string rewritten = readWholeFile(hive);
    EXPECT_NE(rewritten.find("; hand edited\n[HKEY_LOCAL_MACHINE\\Software\\KVN]"), std::string::npos);
    EXPECT_NE(rewritten.find("\"Kept\"=dword:00000005"), std::string::npos);
    EXPECT_EQ(rewritten.find("Lost"), std::string::npos);

    // A second broken edit does not overwrite the first copy.
    writeWholeFile(hive, rewritten + "garbage\n");
    ASSERT_TRUE(registry->setValue(hklm, "Software\\KVN", "New", dwordValue(2)));
    EXPECT_EQ(readWholeFile(hive + ".bad"), broken);
    EXPECT_EQ(readWholeFile(hive + ".bad.1"), rewritten + "garbage\n");
    EXPECT_EQ(problems.messages.size(), 2u);
}

// The real file system, except that replacing or copying a file can be made to fail.
class FailingFileSystem final : public FileSystem {
public:
    bool failReplace = false;
    bool isFolder(const std::string& path) const override { return realFileSystem().isFolder(path); }
    Status ensurePrivateFolder(const std::string& path) override { return realFileSystem().ensurePrivateFolder(path); }
    FileContents readFile(const std::string& path, std::size_t maxBytes) override
    {
        return realFileSystem().readFile(path, maxBytes);
    }
    Status replaceFile(const std::string& path, std::string_view bytes) override
    {
        if (failReplace)
            return Status::failure("disk full");
        return realFileSystem().replaceFile(path, bytes);
    }
    FolderListing listFolder(const std::string& path) override { return realFileSystem().listFolder(path); }
    Status removeFile(const std::string& path) override { return realFileSystem().removeFile(path); }
};

TEST(FileRegistry, AFailedWriteChangesNothing)
{
    TempFolder folder;
    FailingFileSystem files;
    FileRegistryOptions options;
    options.files = &files;
    const auto registry = openFileRegistry(folder.path(), options);
    ASSERT_TRUE(registry->setValue(hklm, "K", "N", dwordValue(1)));
    const std::string before = readWholeFile(folder / "HKEY_LOCAL_MACHINE.reg");

    files.failReplace = true;
    EXPECT_FALSE(registry->setValue(hklm, "K", "N", dwordValue(2)));
    EXPECT_FALSE(registry->deleteKey(hklm, "K"));
    EXPECT_EQ(registry->queryValue(hklm, "K", "N", 4)->bytes, dwordValue(1).bytes);
    EXPECT_EQ(readWholeFile(folder / "HKEY_LOCAL_MACHINE.reg"), before);

    // Without its copy, a broken hive is not written over.
    writeWholeFile(folder / "HKEY_LOCAL_MACHINE.reg", before + "broken\n");
    EXPECT_FALSE(registry->setValue(hklm, "K", "N", dwordValue(3)));
    EXPECT_EQ(readWholeFile(folder / "HKEY_LOCAL_MACHINE.reg"), before + "broken\n");
}

TEST(FileRegistry, AHiveThatCannotBeReadIsAFailureThatSaysWhyAndIsNotWrittenOver)
{
    TempFolder folder;
    const auto registry = openFileRegistry(folder.path());
    const std::string hive = folder / "HKEY_LOCAL_MACHINE.reg";
    EXPECT_TRUE(registry->hiveStatus(hklm).ok()) << "a hive that does not exist yet is an empty one";

    std::filesystem::create_directories(hive + "/inside");
    EXPECT_FALSE(registry->keyExists(hklm, "K"));
    EXPECT_TRUE(registry->subKeyNames(hklm, "").empty());
    EXPECT_EQ(registry->hiveStatus(hklm).error(), "Not opening " + hive + ": it is a folder, not a regular file");
    EXPECT_FALSE(registry->setValue(hklm, "K", "N", dwordValue(2)));
    EXPECT_NE(registry->writeStatus(hklm).error().find(hive + ": it is a folder"), std::string::npos)
        << registry->writeStatus(hklm).error();
    EXPECT_TRUE(std::filesystem::exists(hive + "/inside"));
    EXPECT_TRUE(registry->hiveStatus(Hive::CurrentUser).ok()) << "the other hives are not concerned";

    // A FIFO would block a reader for ever; it is refused at once.
    std::filesystem::remove_all(hive);
    ASSERT_EQ(::mkfifo(hive.c_str(), 0600), 0);
    EXPECT_EQ(
        registry->hiveStatus(hklm).error(), "Not opening " + hive + ": it is a FIFO (named pipe), not a regular file");
    EXPECT_FALSE(registry->queryValue(hklm, "K", "N", 4));
    EXPECT_FALSE(registry->setValue(hklm, "K", "N", dwordValue(2)));
    EXPECT_TRUE(std::filesystem::is_fifo(hive));

    std::filesystem::remove(hive);
    EXPECT_TRUE(registry->setValue(hklm, "K", "N", dwordValue(3)));
    EXPECT_TRUE(registry->hiveStatus(hklm).ok());
    EXPECT_TRUE(registry->writeStatus(hklm).ok());
}

TEST(FileRegistry, AHiveItsUserMayNotReadIsNotTakenForAnEmptyOne)
{
    TempFolder folder;
    const std::string hive = folder / "HKEY_LOCAL_MACHINE.reg";
    writeWholeFile(hive, "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\K]\n\"N\"=dword:00000001\n");
    testing::handOver(folder.path());
    ASSERT_EQ(::chmod(hive.c_str(), 0), 0);
    const testing::UnprivilegedRun run = testing::runUnprivileged([&] {
        const auto registry = openFileRegistry(folder.path());
        const bool seen = registry->keyExists(hklm, "K");
        const std::string why = registry->hiveStatus(hklm).error();
        const bool written = registry->setValue(hklm, "K", "N", dwordValue(2));
        return std::string(seen ? "seen" : "unseen") + (written ? " written " : " refused ") + why + "|"
            + registry->writeStatus(hklm).error();
    });
    ASSERT_TRUE(run.ran) << run.failure;
    EXPECT_EQ(run.output.substr(0, run.output.find('|')), "unseen refused Cannot open " + hive + ": Permission denied");
    EXPECT_NE(run.output.find("|Cannot open " + hive + ": Permission denied; nothing was written"), std::string::npos)
        << run.output;
    ASSERT_EQ(::chmod(hive.c_str(), 0600), 0);
    EXPECT_NE(readWholeFile(hive).find("dword:00000001"), std::string::npos);
}

TEST(FileRegistry, AFailedWriteSaysWhy)
{
    TempFolder folder;
    FailingFileSystem files;
    FileRegistryOptions options;
    options.files = &files;
    const auto registry = openFileRegistry(folder.path(), options);
    files.failReplace = true;
    EXPECT_FALSE(registry->setValue(hklm, "K", "N", dwordValue(2)));
    EXPECT_EQ(
        registry->writeStatus(hklm).error(), "Cannot write " + (folder / "HKEY_LOCAL_MACHINE.reg") + ": disk full");
    EXPECT_FALSE(registry->setValue(hklm, "K", "Line\nBreak", dwordValue(2)));
    EXPECT_NE(registry->writeStatus(hklm).error().find("control characters"), std::string::npos);
    files.failReplace = false;
    EXPECT_FALSE(registry->deleteValue(hklm, "K", "Missing"));
    EXPECT_TRUE(registry->writeStatus(hklm).ok()) << "a value that is not there is no failure to write";
}

// On a file system whose timestamps tick once a second, an editor that
// rewrites a hive in place, keeping its size, within the second the reader
// read it leaves inode, size and times as they were.
TEST(FileRegistry, SeesAnEditInPlaceWithinOneTickOfCoarseTimestamps)
{
    TempFolder folder;
    FileRegistryOptions options;
    options.timestampStepNs = 1'000'000'000;
    const auto reader = openFileRegistry(folder.path(), options);
    const std::string hive = folder / "HKEY_LOCAL_MACHINE.reg";
    const std::string before = "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\K]\n\"N\"=\"one\"\n";
    const auto secondOf = [&] {
        struct stat info { };
        ::stat(hive.c_str(), &info);
        return std::pair(info.st_mtim.tv_sec, info.st_ctim.tv_sec);
    };
    for (int attempt = 0;; ++attempt) {
        ASSERT_LT(attempt, 20) << "no edit landed within the second of the read";
        writeWholeFile(hive, before);
        const auto written = secondOf();
        ASSERT_EQ(stringAt(*reader, "K", "N"), "one");
        std::FILE* file = std::fopen(hive.c_str(), "r+");
        ASSERT_NE(file, nullptr);
        std::fseek(file, static_cast<long>(before.find("one")), SEEK_SET);
        std::fputs("six", file);
        std::fclose(file);
        if (secondOf() != written)
            continue; // the edit fell into the next second: try again
        EXPECT_EQ(stringAt(*reader, "K", "N"), "six");
        break;
    }
}

} // namespace
} // namespace kvn::registry
