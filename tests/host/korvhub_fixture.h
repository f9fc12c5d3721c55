// Korvhub as a user runs it: kvnctl installs and fills the lists, regsvr32
// registers the built module, korvane --headless runs it over a real Maildir.
#pragma once

#include "tests/host/host_fixture.h"
#include "tests/outlook/maildir_fixture.h"

#include <chrono>
#include <ctime>
#include <functional>
#include <thread>

namespace kvn::testing {

class KorvhubEndToEnd : public HostFixture {
protected:
    KorvhubEndToEnd() { std::filesystem::copy_file(KVN_KORVHUB, korvhub()); }

    std::string korvhub() const { return temp / "system/libKorvhub.so"; }
    std::string installDir() const { return temp / "install"; }

    Finished kvnctl(std::vector<std::string> words)
    {
        words.insert(words.begin(), {"--install-dir", installDir()});
        return runToEnd(KVN_KVNCTL, words, temp / "kvnctl.err");
    }

    // Installed and registered, the profile's first run over (it builds the
    // lists afresh from sent mail), then the lists written with kvnctl.
    void prepare()
    {
        ASSERT_EQ(kvnctl({"install"}).status, 0);
        const Finished registered = regsvr32({"/s", korvhub()});
        ASSERT_EQ(registered.status, 0) << registered.error;
        once();
        ASSERT_EQ(kvnctl({"lists", "add", "--white", "address", "friend@example.org", "--name", "Friend"}).status, 0);
        ASSERT_EQ(kvnctl({"lists", "add", "--black", "address", "spammer@bad.example"}).status, 0);
    }

    // An unread e-mail in the Inbox's new/, received `offset` seconds from
    // now: two minutes ahead by default, so surely after the minute of the
    // last "StopTime". (One minute is not enough: the stop time is rounded to
    // its nearest second and the start-up run compares by the minute, so an
    // e-mail a minute after a stop at hh:mm:59.6 falls in the stop's minute,
    // and the start-up run takes it for one seen before the stop.)
    void arrive(const std::string& unique, const std::string& from, std::int64_t offset = 120)
    {
        // Written in tmp/ and renamed into new/, as a delivery agent does.
        putMessage(inbox(), "tmp", unique, std::time(nullptr) + offset,
            "From: " + from + "\r\nTo: Me <me@example.com>\r\nSubject: From " + from + "\r\nMessage-ID: <" + unique
                + "@example.org>\r\nReceived: from relay ([192.0.2.7]) by mx\r\n\r\nHello.\r\n");
        std::filesystem::rename(inbox() + "/tmp/" + unique, inbox() + "/new/" + unique);
    }

    // Where the e-mail is now: the folder's name ("" the Inbox), or "gone".
    std::string whereIs(const std::string& unique) const
    {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(inbox())) {
            const std::string name = entry.path().filename().string();
            if (entry.is_regular_file() && name.starts_with(unique)) {
                const std::string folder = entry.path().parent_path().parent_path().filename().string();
                return folder == "Maildir" ? "" : folder;
            }
        }
        return "gone";
    }

    // What "kvnctl lists show" prints.
    std::string listsShown()
    {
        const std::string out = temp / "lists.out";
        const Finished shown = runToEnd("/bin/sh",
            {"-c", "\"$0\" --install-dir \"$1\" lists show > \"$2\"", KVN_KVNCTL, installDir(), out},
            temp / "kvnctl.err");
        EXPECT_EQ(shown.status, 0) << shown.error;
        return readWholeFile(out);
    }

    // Polls until the condition holds, for at most `limit`.
    static bool waitUntil(
        const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(20))
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

    // Mail waiting before the host watches its inboxes is left for the next
    // new-mail event ("StartUp" is 0): delivers probes from a stranger until
    // one is quarantined, which shows the host watching.
    bool waitUntilWatching()
    {
        for (int probe = 1; probe <= 80; ++probe) {
            const std::string name = "1.probe" + std::to_string(probe);
            arrive(name, "Stranger <someone@unknown.example>");
            if (waitUntil([&] { return whereIs(name) == ".KVN Quarantined"; }, std::chrono::milliseconds(250)))
                return true;
        }
        return false;
    }

    Finished once()
    {
        const Finished finished = runHostOnce();
        EXPECT_EQ(finished.status, 0) << finished.error;
        return finished;
    }
};

} // namespace kvn::testing
