// Korvhub as a user runs it: kvnctl installs and fills the lists, regsvr32
// registers the built module, korvane --headless --once filters a real
// Maildir through it.
#include "tests/host/korvhub_fixture.h"

#include <csignal>
#include <ctime>
#include <functional>
#include <iostream>
#include <thread>

namespace kvn::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

TEST_F(KorvhubEndToEnd, OnceFiltersTheInboxAndTheNextRunTakesMailBeforeStopTimeAsSeen)
{
    prepare();
    arrive("1.friend", "Friend <Friend@Example.org>");
    arrive("2.spammer", "Spammer <spammer@bad.example>");
    arrive("3.stranger", "Stranger <someone@unknown.example>");
    once();
    EXPECT_EQ(whereIs("1.friend"), "");
    EXPECT_NE(whereIs("2.spammer"), "");
    EXPECT_EQ(whereIs("3.stranger"), ".KVN Quarantined");
    EXPECT_THAT(hive("HKEY_LOCAL_MACHINE"), HasSubstr("\"StopTime\"="));

    // Received before the last StopTime: taken as seen. After it: examined.
    arrive("4.before", "Another <other@unknown.example>", -3600);
    arrive("5.after", "Late <late@unknown.example>", 3600);
    once();
    EXPECT_EQ(whereIs("1.friend"), "");
    EXPECT_EQ(whereIs("4.before"), "");
    EXPECT_EQ(whereIs("5.after"), ".KVN Quarantined");
}

TEST_F(KorvhubEndToEnd, RegistrationWritesTheKeysAndUnregisteringLeavesNone)
{
    ASSERT_EQ(regsvr32({"/s", korvhub()}).status, 0);
    const std::string clsid = "[HKEY_CLASSES_ROOT\\CLSID\\{6A22F8F8-E4D5-4B36-9F95-488CF112DFBC}";
    const std::string classes = hive("HKEY_CLASSES_ROOT");
    EXPECT_THAT(classes, HasSubstr("[HKEY_CLASSES_ROOT\\Korvhub.Addin\\CurVer]\n@=\"Korvhub.Addin.1\""));
    EXPECT_THAT(classes, HasSubstr(clsid + "]\n@=\"Addin Class\""));
    EXPECT_THAT(
        classes, HasSubstr(clsid + "\\InprocServer32]\n@=\"" + korvhub() + "\"\n\"ThreadingModel\"=\"Apartment\""));
    EXPECT_THAT(classes, HasSubstr(clsid + "\\TypeLib]\n@=\"{6E6E0AB0-9D42-4783-BAB4-A4B846A44C14}\""));
    const std::string user = hive("HKEY_CURRENT_USER");
    EXPECT_THAT(user, HasSubstr("\\Outlook\\Addins\\Korvhub.Addin]"));
    EXPECT_THAT(user, HasSubstr("\"FriendlyName\"=\"KVNOutlook Addin\""));
    EXPECT_THAT(user, HasSubstr("\"Description\"=\"ATLCOM Outlook Addin\""));
    EXPECT_THAT(user, HasSubstr("\"LoadBehavior\"=dword:00000003"));
    EXPECT_THAT(user, HasSubstr("\"CommandLineSafe\"=dword:00000000"));

    const Finished removed = regsvr32({"/u", "/s", korvhub()});
    EXPECT_EQ(removed.status, 0) << removed.error;
    EXPECT_THAT(hive("HKEY_CLASSES_ROOT"), Not(HasSubstr("Korvhub")));
    EXPECT_THAT(hive("HKEY_CLASSES_ROOT"), Not(HasSubstr("6A22F8F8")));
    EXPECT_THAT(hive("HKEY_CURRENT_USER"), Not(HasSubstr("Korvhub")));
}

TEST_F(KorvhubEndToEnd, MailDroppedIntoNewWhileTheHostRunsIsFilteredAtOnce)
{
    prepare();
    const auto host = startHost();
    ASSERT_TRUE(waitUntilWatching()) << host->errorOutput();
    const auto dropped = std::chrono::steady_clock::now();
    arrive("2.spammer", "Spammer <spammer@bad.example>");
    ASSERT_TRUE(waitUntil([&] { return whereIs("2.spammer") == ".Trash"; })) << host->errorOutput();
    // The watcher settles for 300 ms before it raises NewMail; the pass is quick.
    std::cout
        << "filtered "
        << std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - dropped).count()
        << " ms after it was dropped into new/\n";
    host->signal(SIGTERM);
    EXPECT_EQ(host->wait(), 0);
}

TEST_F(KorvhubEndToEnd, AMessageAppearingInSentTrustsItsNewRecipients)
{
    prepare();
    const auto host = startHost();
    ASSERT_TRUE(waitUntilWatching()) << host->errorOutput();
    const std::string sent = inbox() + "/.Sent";
    writeWholeFile(sent + "/tmp/2.sent",
        "From: Me <me@example.com>\r\nTo: New Pal <New.Pal@Example.net>, Spammer <spammer@bad.example>\r\n"
        "Subject: Sent elsewhere\r\n\r\nHi\r\n");
    std::filesystem::rename(sent + "/tmp/2.sent", sent + "/cur/2.sent:2,S");
    // The Sent folder has a watcher of its own, so the test asks the filter:
    // once the recipient's mail stays in the Inbox while a stranger's, sent
    // with it, is quarantined, the recipient is trusted.
    bool trusted = false;
    for (int probe = 1; probe <= 20 && !trusted; ++probe) {
        const std::string pal = "3.pal" + std::to_string(probe);
        const std::string stranger = "4.stranger" + std::to_string(probe);
        arrive(pal, "New Pal <new.pal@example.net>");
        arrive(stranger, "Other <other@unknown.example>");
        ASSERT_TRUE(waitUntil([&] { return whereIs(stranger) == ".KVN Quarantined"; })) << host->errorOutput();
        trusted = whereIs(pal).empty();
    }
    ASSERT_TRUE(trusted);
    host->signal(SIGTERM);
    EXPECT_EQ(host->wait(), 0);

    const std::string shown = listsShown();
    EXPECT_THAT(shown, ::testing::ContainsRegex("white +e-mail address +New Pal +new\\.pal@example\\.net"));
    EXPECT_THAT(shown, ::testing::ContainsRegex("black +e-mail address +- +spammer@bad\\.example"));
    EXPECT_THAT(shown, Not(::testing::ContainsRegex("white +e-mail address +Spammer")));
}

} // namespace
} // namespace kvn::testing
