// kvnctl explain on real messages against real profile data (lists written
// by kvnctl itself, options in a real registry folder): the verdict, folder,
// rule, entry and record for each kind of sender, the JSON form, and proof
// that neither the profile nor the mailbox changes.
#include "lists/profile_data.h"
#include "platform/core/clock.h"
#include "platform/outlook/profile_stores.h"
#include "tests/ip2c/ip2c_test_support.h"
#include "tests/platform/lock_holder.h"
#include "tests/tools/explain_fixture.h"

namespace kvn::testing {
namespace {

namespace fs = std::filesystem;

TEST_F(ExplainCommand, AWhiteSenderIsTrustedAndStaysInItsInbox)
{
    listAdd("--white", "address", "carol@friends.example");
    const KvnctlResult result = explain(inMailbox("ham-friend.eml", "1.friend"));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(holds(result.out,
        "summary: trusted: ends in Personal Folders/Inbox, unread; sender address \"carol@friends.example\" on "
        "the white list"))
        << result.out;
    EXPECT_TRUE(holds(result.out, "message: Trusted e-mail - Carol@Friends.example")) << result.out;
    EXPECT_TRUE(holds(result.out, "rule: sender address")) << result.out;
}

TEST_F(ExplainCommand, ABlackDomainIsBlockedIntoDeletedItems)
{
    listAdd("--black", "domain", "junk.example");
    const KvnctlResult result = explain(inMailbox("blocked-domain.eml", "2.junk"), true);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(holds(result.out, "\"verdict\": \"blocked\"")) << result.out;
    EXPECT_TRUE(holds(result.out, "\"folder\": \"Personal Folders/Trash\"")) << result.out;
    EXPECT_TRUE(holds(result.out, "\"markedRead\": true")) << result.out;
    EXPECT_TRUE(holds(result.out, "\"rule\": \"sender domain\"")) << result.out;
    EXPECT_TRUE(holds(result.out,
        "\"category\": 0,\n      \"reason\": 2,\n      \"message\": \"Blocked domain - "
        "junk.example\""))
        << result.out;
    EXPECT_TRUE(holds(result.out, "\"quarantineDecision\": null")) << result.out;
}

TEST_F(ExplainCommand, TheFoldersAreNamedAsTheProfilesDefaultStoreNamesThem)
{
    outlook::StoreConfig store;
    store.displayName = "Home";
    store.root = mailbox.path();
    store.trashFolder = "Deleted Messages";
    ASSERT_TRUE(outlook::addProfileStore(registry::processRegistry(), profile, store));
    listAdd("--black", "domain", "junk.example");
    const KvnctlResult result = explain(inMailbox("blocked-domain.eml", "2.home"));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(holds(result.out, "summary: blocked: ends in Home/Deleted Messages, read; sender domain"))
        << result.out;
    EXPECT_FALSE(fs::exists(mailbox / ".Deleted Messages")) << "the profile's own store was touched";
}

TEST_F(ExplainCommand, ABlackWordIsProposedInTheQuarantineOrCarriedOut)
{
    listAdd("--black", "word", "listing");
    const std::string message = inMailbox("received-chain.eml", "3.word");
    const KvnctlResult proposed = explain(message, true);
    ASSERT_EQ(proposed.status, 0) << proposed.err;
    EXPECT_TRUE(holds(proposed.out,
        "\"summary\": \"quarantined: ends in Personal Folders/KVN Quarantined, unread; word in subject \\\"listing\\\" "
        "on the black list, proposed to block\""))
        << proposed.out;
    EXPECT_TRUE(holds(proposed.out,
        "\"entryId\": \"3.word\",\n      \"reason\": 3,\n      \"message\": \"Blocked "
        "word/expression in subject - listing\",\n      \"isWhite\": false"))
        << proposed.out;
    EXPECT_TRUE(holds(proposed.out, "\"statRecord\": null")) << proposed.out;

    ASSERT_EQ(run({"settings", "set", "ProcessQWndMails", "1"}).status, 0);
    const KvnctlResult carriedOut = explain(message);
    ASSERT_EQ(carriedOut.status, 0) << carriedOut.err;
    EXPECT_TRUE(holds(carriedOut.out,
        "summary: blocked: ends in Personal Folders/Trash, read; word in subject \"listing\" on the black list"))
        << carriedOut.out;
    EXPECT_TRUE(holds(carriedOut.out, "message: Blocked word/expression in subject - listing")) << carriedOut.out;
}

TEST_F(ExplainCommand, AnUnknownSenderIsQuarantinedByNoRule)
{
    listAdd("--white", "address", "carol@friends.example");
    const KvnctlResult result = explain(inMailbox("spam-html-only.eml", "4.unknown"), true);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(holds(result.out,
        "\"summary\": \"quarantined: ends in Personal Folders/KVN Quarantined, unread; "
        "no rule\""))
        << result.out;
    EXPECT_TRUE(holds(result.out, "\"rule\": \"no rule\",\n    \"entry\": null")) << result.out;
    EXPECT_TRUE(holds(result.out, "\"category\": 1,\n      \"reason\": 0,\n      \"message\": \"\"")) << result.out;
    EXPECT_TRUE(holds(result.out, "\"quarantineDecision\": null")) << result.out;
}

TEST_F(ExplainCommand, TrustedMailGoesToTheDefaultInboxStore)
{
    listAdd("--white", "address", "carol@friends.example");
    ASSERT_EQ(run({"settings", "set", "DefaultInbox", "Work"}).status, 0);
    const KvnctlResult result = explain(inMailbox("ham-friend.eml", "5.friend"));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(
        holds(result.out, "summary: trusted: ends in Work/Inbox, unread; sender address \"carol@friends.example\""))
        << result.out;
}

TEST_F(ExplainCommand, SameSenderProtectionAndTheCalibrationAreExplained)
{
    {
        ProfileData data(install.path(), profile, realFileSystem(), systemClock());
        ASSERT_TRUE(data.loadAll().ok());
        data.ownAddresses().push_back({"me@home.example", ""});
        ASSERT_TRUE(data.saveAll().ok());
    }
    listAdd("--white", "address", "me@home.example");
    const std::string ownFile = install / (profile + "/own.kvn");
    const std::string ownBefore = readWholeFile(ownFile);

    const KvnctlResult calibration = explain(inMailbox("calibration.eml", "7.calibration"), true);
    ASSERT_EQ(calibration.status, 0) << calibration.err;
    EXPECT_TRUE(holds(calibration.out,
        "\"summary\": \"trusted: ends in Personal Folders/Inbox, unread; sender address "
        "\\\"me@home.example\\\" on the white list; sets the calibration IP of "
        "me@home.example to \\\"192.0.2.33\\\"\""))
        << calibration.out;
    EXPECT_TRUE(holds(calibration.out,
        "\"calibrationLearned\": {\n      \"address\": \"me@home.example\",\n      "
        "\"calibration\": \"192.0.2.33\""))
        << calibration.out;

    const KvnctlResult spoofed = explain(inMailbox("own-address-spoofed.eml", "8.spoofed"));
    ASSERT_EQ(spoofed.status, 0) << spoofed.err;
    EXPECT_TRUE(holds(spoofed.out,
        "summary: quarantined: ends in Personal Folders/KVN Quarantined, unread; failed "
        "the same-sender check, then no rule"))
        << spoofed.out;
    EXPECT_TRUE(holds(spoofed.out, "message: Same sender and receiver address")) << spoofed.out;
    EXPECT_EQ(readWholeFile(ownFile), ownBefore) << "the calibration text was learned in the copy only";
}

TEST_F(ExplainCommand, TheCountryRuleUsesTheDatabaseWhenIp2CountryIsOn)
{
    const OdbcIniFile odbcIni(temporary / "odbc.ini");
    listAdd("--white", "country", "germany");
    const std::string message = putMessage(mailbox.path(), "cur", "9.abroad:2,S", 1600000000,
        "Received: from relay.example (relay.example [81.0.0.7])\n\tby mx.home.example\n"
        "From: someone@abroad.example\nTo: me@home.example\nSubject: Hello\n\nHi.\n");
    ASSERT_EQ(run({"settings", "set", "Ip2Country", "1"}).status, 0);

    const KvnctlResult withoutDatabase = explain(message);
    ASSERT_EQ(withoutDatabase.status, 0) << withoutDatabase.err;
    EXPECT_TRUE(holds(withoutDatabase.err, "the country rule is left out: no IP-to-country database"))
        << withoutDatabase.err;
    EXPECT_TRUE(holds(withoutDatabase.out,
        "summary: quarantined: ends in Personal Folders/KVN Quarantined, unread; "
        "no rule"))
        << withoutDatabase.out;

    buildTestDatabase(install.path());
    const KvnctlResult withDatabase = explain(message);
    ASSERT_EQ(withDatabase.status, 0) << withDatabase.err;
    EXPECT_TRUE(holds(withDatabase.out,
        "summary: quarantined: ends in Personal Folders/KVN Quarantined, unread; "
        "country \"GERMANY\" on the white list, proposed to trust"))
        << withDatabase.out;
    EXPECT_TRUE(holds(withDatabase.out, "message: Trusted country - GERMANY")) << withDatabase.out;
}

// Neither the profile's files, its options nor the mailbox change, the
// temporary folder goes, and all of it while another program holds the lock.
TEST_F(ExplainCommand, NothingOfTheProfileOrTheMailboxChanges)
{
    outlook::StoreConfig store;
    store.root = mailbox.path();
    ASSERT_TRUE(outlook::addProfileStore(registry::processRegistry(), profile, store));
    listAdd("--white", "address", "carol@friends.example");
    listAdd("--black", "domain", "junk.example");
    listAdd("--black", "word", "listing");
    ASSERT_EQ(run({"settings", "set", "ProcessQWndMails", "1"}).status, 0);
    const std::vector<std::string> messages
        = {inMailbox("ham-friend.eml", "6.a"), inMailbox("blocked-domain.eml", "6.b"),
            inMailbox("received-chain.eml", "6.c"), inMailbox("spam-html-only.eml", "6.d")};
    LockHolder host(install / profile, "korvane");
    ASSERT_TRUE(host.holds()) << host.firstLine();
    const auto profileBefore = snapshotOf(install.path());
    const auto registryBefore = snapshotOf(registryFolder().path());
    const auto mailboxBefore = snapshotOf(mailbox.path());

    std::vector<std::string> words = {"explain"};
    words.insert(words.end(), messages.begin(), messages.end());
    const KvnctlResult result = run(words);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(holds(result.out, "summary: trusted")) << result.out;
    EXPECT_TRUE(holds(result.out, "summary: blocked: ends in Personal Folders/Trash, read; sender domain"));
    EXPECT_TRUE(holds(result.out, "summary: blocked: ends in Personal Folders/Trash, read; word in subject"));
    EXPECT_TRUE(holds(result.out, "summary: quarantined"));

    EXPECT_EQ(snapshotOf(install.path()), profileBefore);
    EXPECT_EQ(snapshotOf(registryFolder().path()), registryBefore);
    EXPECT_EQ(snapshotOf(mailbox.path()), mailboxBefore);
    EXPECT_TRUE(fs::is_empty(temporary.path())) << "the temporary folder was left behind";
}

} // namespace
} // namespace kvn::testing
