// A user's world for the end-to-end tests: a temporary HOME with a Maildir,
// a registry folder, a data folder and a system folder holding copies of the
// test add-in modules, all through the environment the real programs read.
#pragma once

#include "tests/host/child_process.h"
#include "tests/support/environment_guard.h"
#include "tests/support/temp_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace kvn::testing {

class HostFixture : public ::testing::Test {
protected:
    HostFixture()
    {
        for (const char* folder :
            {"home/Maildir/cur", "home/Maildir/new", "home/Maildir/tmp", "registry", "data", "system"})
            std::filesystem::create_directories(temp / folder);
        std::filesystem::copy_file(KVN_RECORDING_ADDIN, recorderModule());
        std::filesystem::copy_file(KVN_NOT_AN_ADDIN, temp / "system/libnot_an_addin.so");
    }

    std::string recorderModule() const { return temp / "system/librecording_addin.so"; }
    std::string log() const { return temp / "addin.log"; }
    std::string inbox() const { return temp / "home/Maildir"; }
    std::string hive(const char* name) const
    {
        return readWholeFile(temp / ("registry/" + std::string(name) + ".reg"));
    }

    Finished regsvr32(std::vector<std::string> words) { return runToEnd(KVN_REGSVR32, words, temp / "regsvr32.err"); }
    std::unique_ptr<ChildProcess> startHost(std::vector<std::string> extra = {})
    {
        std::vector<std::string> words{"--headless"};
        words.insert(words.end(), extra.begin(), extra.end());
        return std::make_unique<ChildProcess>(KVN_KORVANE, words, temp / "korvane.err");
    }
    Finished runHostOnce() { return runToEnd(KVN_KORVANE, {"--headless", "--once"}, temp / "korvane.err"); }

    // Puts a message into the Inbox as a delivery agent does: written in
    // tmp/, then renamed into new/.
    void deliver(const std::string& uniqueName, const std::string& subject)
    {
        const std::string message = "From: a@example.org\r\nTo: me@example.org\r\nSubject: " + subject
            + "\r\nMessage-ID: <" + uniqueName + "@example.org>\r\n\r\nHello\r\n";
        writeWholeFile(inbox() + "/tmp/" + uniqueName, message);
        std::filesystem::rename(inbox() + "/tmp/" + uniqueName, inbox() + "/new/" + uniqueName);
    }

    TempFolder temp;
    EnvironmentGuard home{"HOME", temp / "home"};
    EnvironmentGuard registry{"KORVANE_REGISTRY", temp / "registry"};
    EnvironmentGuard data{"XDG_DATA_HOME", temp / "data"};
    EnvironmentGuard config{"XDG_CONFIG_HOME", temp / "config"};
    EnvironmentGuard system{"KORVANE_SYSTEM_FOLDER", temp / "system"};
    EnvironmentGuard addinLog{"KVN_TEST_ADDIN_LOG", temp / "addin.log"};
    EnvironmentGuard busy{"KVN_TEST_ADDIN_BUSY_CHECKS", std::nullopt};
    EnvironmentGuard refuse{"KVN_TEST_ADDIN_REFUSE", std::nullopt};
    EnvironmentGuard loadBehavior{"KVN_TEST_ADDIN_LOAD_BEHAVIOR", std::nullopt};
};

} // namespace kvn::testing
