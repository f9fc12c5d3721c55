// The start-up run of a profile that never ran: without a configuration
// window the engine builds the first white list from the sent e-mails over a
// real Maildir, adding to lists written before it, records "Run", and the
// next start loads what the first session saved instead of configuring again.
#include "tests/addin/engine_fixture.h"

#include "lists/profile_data.h"

namespace kvn {
namespace {

using testing::localSeconds;
using testing::putMessage;

class EngineFirstRunTest : public testing::EngineTest {
protected:
    EngineFirstRunTest()
    {
        EXPECT_TRUE(writeString("Default", setting::Run, ""));
        testing::makeMaildir(root() + "/.Sent");
    }

    // The engine as the add-in makes it when no window is given: the real
    // first run, the real classification pass.
    CMain& startWithoutWindow()
    {
        application = outlook::openMaildirApplication({testing::storeAt(root())}, "Default", *registry);
        EngineServices services{application, realFileSystem(), clock, ui, odbc::realOdbc(), {},
            openAppendOnlyFile(logPath()), nullptr, nullptr};
        owned = std::make_unique<CMain>(std::move(services));
        EXPECT_TRUE(owned->constructedOK());
        EXPECT_TRUE(owned->waitUntilIdle(testing::patience));
        return *owned;
    }

    void putSent(const std::string& unique, const std::string& to)
    {
        putMessage(root() + "/.Sent", "cur", unique + ":2,S", localSeconds(2024, 3, 14, 10, 0),
            "From: Me <me@example.com>\r\nTo: " + to + "\r\nSubject: Hello\r\nMessage-ID: <" + unique
                + "@example.com>\r\n\r\nHello.\r\n");
    }

    std::vector<std::string> whiteAddresses(const ProfileData& data)
    {
        std::vector<std::string> addresses;
        for (const ListEntry& entry : data.lists().sequence(ListKind::Address, true))
            addresses.push_back(entry.extra);
        return addresses;
    }
};

TEST_F(EngineFirstRunTest, WithoutAWindowTheFirstRunBuildsTheWhiteListAndTheNextStartLoadsIt)
{
    {
        // A list entry written before the first start, as kvnctl writes one.
        ProfileData before(installDir(), "Default", realFileSystem(), clock);
        ASSERT_TRUE(prepareDataFolder(realFileSystem(), installDir(), dataFolder()).ok());
        insertAddressEntry(before.lists(), true, ListEntry(2, "Ann", "ann@example.com", 0, "2024.03.01", ""));
        ASSERT_TRUE(before.saveAll().ok());
    }
    putSent("s1", "Friend <Friend@Example.org>");
    putSent("s2", "Colleague <colleague@example.net>, friend@example.org");
    ui.expect("Configuring KVN", MessageAnswer::Ok);

    CMain& engine = startWithoutWindow();
    {
        std::lock_guard<std::mutex> hold(engine.state().lock);
        EXPECT_EQ(whiteAddresses(engine.state().data),
            (std::vector<std::string>{"ann@example.com", "colleague@example.net", "friend@example.org"}));
        const ListEntry probe(2, "", "friend@example.org", 0, "", "");
        EXPECT_EQ(engine.state().data.lists().findAddress(probe, true).result, LookupResult::InAskedList);
    }
    EXPECT_EQ(readString("Default", setting::Run, ""), "03.15.2024");
    EXPECT_TRUE(std::filesystem::is_directory(quarantineDir()));
    engine.Shutdown();
    owned.reset();

    // The second start loads the saved lists and shows no configuration box.
    CMain& again = startWithoutWindow();
    std::lock_guard<std::mutex> hold(again.state().lock);
    EXPECT_EQ(whiteAddresses(again.state().data),
        (std::vector<std::string>{"ann@example.com", "colleague@example.net", "friend@example.org"}));
    EXPECT_EQ(ui.shown().size(), 1u);
}

} // namespace
} // namespace kvn
