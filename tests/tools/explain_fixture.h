// What the tests of kvnctl explain share: a registry folder for the whole
// test binary, a profile of each test's own with an installation folder, a
// mailbox and a temporary folder, and snapshots of folders to compare.
#pragma once

#include "tests/outlook/maildir_fixture.h"
#include "tests/support/environment_guard.h"
#include "tests/support/temp_folder.h"
#include "tests/tools/kvnctl_run.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>

namespace kvn::testing {

namespace fs = std::filesystem;

// The registry is opened once per process, on the folder KORVANE_REGISTRY
// names when it is first used: every test here shares it, each with a
// profile of its own.
inline TempFolder& registryFolder()
{
    static TempFolder folder;
    return folder;
}
// Set before main, so that no test of the binary opens another registry.
inline const bool registryChosen = ::setenv("KORVANE_REGISTRY", registryFolder().path().c_str(), 1) == 0;

inline std::string classifyData(const std::string& name)
{
    return std::string(KVN_TEST_DATA_DIR) + "/classify/" + name;
}

// Every file under a folder with its bytes, mode and modification time.
inline std::map<std::string, std::string> snapshotOf(const std::string& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        struct stat info { };
        ::lstat(entry.path().c_str(), &info);
        std::string state = std::to_string(info.st_mode) + " " + std::to_string(info.st_mtim.tv_sec) + "."
            + std::to_string(info.st_mtim.tv_nsec);
        if (entry.is_regular_file())
            state += "\n" + readWholeFile(entry.path());
        files[fs::relative(entry.path(), folder).string()] = state;
    }
    return files;
}

class ExplainCommand : public ::testing::Test {
protected:
    ExplainCommand()
    {
        EXPECT_TRUE(registryChosen);
        makeMaildir(mailbox.path());
    }

    KvnctlResult run(std::vector<std::string> words) { return runKvnctl(install.path(), std::move(words), profile); }

    void listAdd(const char* list, const char* kind, const std::string& value)
    {
        const KvnctlResult added = run({"lists", "add", list, kind, value});
        ASSERT_EQ(added.status, 0) << added.err;
    }

    // A copy of a test message as a read e-mail of the mailbox, received long ago.
    std::string inMailbox(const std::string& name, const std::string& uniqueName)
    {
        return putMessage(mailbox.path(), "cur", uniqueName + ":2,S", 1600000000, readWholeFile(classifyData(name)));
    }

    KvnctlResult explain(const std::string& path, bool json = false)
    {
        std::vector<std::string> words = {"explain", path};
        if (json)
            words.push_back("--json");
        return run(std::move(words));
    }

    static bool holds(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

    std::string profile = std::string("T-") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    TempFolder install;
    TempFolder mailbox;
    TempFolder temporary;
    EnvironmentGuard tmpdir{"TMPDIR", temporary.path()};
};

} // namespace kvn::testing
