// Whole passes over a real Maildir holding real-looking messages: where each
// e-mail ends, its read flag, the statistics, the proposed decisions, the
// entries' counters, DeliveredMailIds and the debug log.
#include "analysis/new_mail_pass.h"

#include "tests/analysis/classification_fixture.h"

#include <gmock/gmock.h>

namespace kvn {
namespace {

using testing::classifyMessage;
using ::testing::ElementsAre;
using testing::Place;

const Place inInbox{"Inbox", false};
const Place inTrash{"Trash", true};
const Place inQuarantine{"KVN Quarantined", false};

StatRecord stat(std::int32_t category, std::int32_t reason, std::string message)
{
    return {testing::oleDateOf(2024, 3, 15, 12, 0), category, reason, std::move(message), {}};
}

class NewMailPassTest : public testing::ClassificationTest {
protected:
    // The lists of a user who knows some senders and some content.
    void sampleLists()
    {
        add(ListKind::Address, true, "Carol Miller", "carol@friends.example");
        add(ListKind::Address, false, "", "offers@spam.example");
        add(ListKind::Domain, false, "junk.example");
        add(ListKind::Word, false, "cheap pills");
        add(ListKind::Word, false, "win");
        add(ListKind::FileType, false, "exe");
        add(ListKind::FileType, true, "pdf");
        add(ListKind::IpRange, false, "203.0.113.40", "203.0.113.50");
    }

    void deliverCorpus()
    {
        // Oldest first: the order in which the pass finds them.
        deliver("m01.ham", classifyMessage("ham-friend.eml"), 11);
        deliver("m02.blocked", classifyMessage("blocked-sender.eml"), 10);
        deliver("m03.domain", classifyMessage("blocked-domain.eml"), 9);
        deliver("m04.html", classifyMessage("spam-html-only.eml"), 8);
        deliver("m05.parts", classifyMessage("multipart-attachments.eml"), 7);
        deliver("m06.encoded", classifyMessage("encoded-subject.eml"), 6);
        deliver("m07.chain", classifyMessage("received-chain.eml"), 5);
        deliver("m08.nofrom", classifyMessage("no-from.eml"), 4);
    }
};

TEST_F(NewMailPassTest, APassSortsARealInboxAndProposesTheSecondStageDecisionsInTheQuarantine)
{
    sampleLists();
    deliverCorpus();
    ASSERT_EQ(runPass(), PassEnd::Finished);

    EXPECT_EQ(placeOf("m01.ham"), inInbox) << "trusted mail stays unread where it is without a default inbox";
    EXPECT_EQ(placeOf("m02.blocked"), inTrash) << "the address matches without regard to letter case";
    EXPECT_EQ(placeOf("m03.domain"), inTrash);
    for (const char* name : {"m04.html", "m05.parts", "m06.encoded", "m07.chain", "m08.nofrom"})
        EXPECT_EQ(placeOf(name), inQuarantine) << name;

    EXPECT_THAT(state.deliveredMailIds.ids(), ElementsAre("m01.ham"));
    EXPECT_THAT(statistics().accepted, ElementsAre(stat(2, 1, "Trusted e-mail - Carol@Friends.example")));
    EXPECT_THAT(statistics().blocked,
        ElementsAre(stat(0, 1, "Blocked e-mail - Offers@Spam.example"), stat(0, 2, "Blocked domain - junk.example")));
    EXPECT_THAT(statistics().quarantined, ElementsAre(stat(1, 0, ""))) << "only the e-mail no rule settled";
    EXPECT_THAT(decisions(),
        ElementsAre(QuarantineDecision{"m04.html", 3, "Blocked word/expression in e-mail body - cheap pills", false},
            QuarantineDecision{"m05.parts", 4, "Trusted attachment type - .pdf", true},
            QuarantineDecision{"m06.encoded", 3, "Blocked word/expression in subject - win", false},
            QuarantineDecision{"m07.chain", 5, "Blocked IP address - 203.0.113.45", false}));

    EXPECT_EQ(entry(ListKind::Address, true, "carol@friends.example").receivedCount, 1);
    EXPECT_EQ(entry(ListKind::Address, true, "carol@friends.example").lastReceived, "2024.03.15");
    EXPECT_EQ(entry(ListKind::Address, false, "offers@spam.example").receivedCount, 1);
    EXPECT_EQ(entry(ListKind::Domain, false, "junk.example").receivedCount, 1);
    EXPECT_EQ(entry(ListKind::Word, false, "cheap pills").receivedCount, 1);
    EXPECT_EQ(entry(ListKind::Word, false, "win").receivedCount, 1);
    EXPECT_EQ(entry(ListKind::FileType, true, "pdf").receivedCount, 1);
    EXPECT_EQ(entry(ListKind::FileType, false, "exe").receivedCount, 0) << "the first matching attachment decides";
    EXPECT_EQ(entry(ListKind::IpRange, false, "203.0.113.40").receivedCount, 1);
    EXPECT_EQ(entry(ListKind::IpRange, false, "203.0.113.40").lastReceived, "2024.03.15");

    const std::string search = "  AnalizeNewMail - search - 11:0:0.0 - [UnRead]=true and [ReceivedTime]>='Mar 08 2024 "
                               "12:00 PM'";
    const std::string second = "      Entering AnalizeQuarantinedMail - 11:0:0.0";
    EXPECT_THAT(logLines(),
        ElementsAre("  AnalizeNewMail - entering - 11:0:0.0", search, second, second, second, second, second,
            "  AnalizeNewMail - finished OK - 11:0:0.0"));

    // The next pass finds only the trusted e-mail, still unread, and leaves it.
    ASSERT_EQ(runPass(), PassEnd::Finished);
    EXPECT_EQ(statistics().accepted.size(), 1u);
    EXPECT_EQ(entry(ListKind::Address, true, "carol@friends.example").receivedCount, 1);
}

TEST_F(NewMailPassTest, WithFilteredMailProcessedTheSecondStageDeliversAndDeletesAtOnceAndCounts)
{
    state.settings.processQuarantined = true;
    sampleLists();
    deliverCorpus();
    ASSERT_EQ(runPass(), PassEnd::Finished);

    EXPECT_EQ(placeOf("m04.html"), inTrash);
    EXPECT_EQ(placeOf("m05.parts"), inInbox);
    EXPECT_EQ(placeOf("m06.encoded"), inTrash);
    EXPECT_EQ(placeOf("m07.chain"), inTrash);
    EXPECT_EQ(placeOf("m08.nofrom"), inQuarantine);
    EXPECT_TRUE(decisions().empty());
    EXPECT_THAT(state.deliveredMailIds.ids(), ElementsAre("m01.ham", "m05.parts"));
    EXPECT_THAT(statistics().accepted,
        ElementsAre(
            stat(2, 1, "Trusted e-mail - Carol@Friends.example"), stat(2, 4, "Trusted attachment type - .pdf")));
    EXPECT_THAT(statistics().blocked,
        ElementsAre(stat(0, 1, "Blocked e-mail - Offers@Spam.example"), stat(0, 2, "Blocked domain - junk.example"),
            stat(0, 3, "Blocked word/expression in e-mail body - cheap pills"),
            stat(0, 3, "Blocked word/expression in subject - win"), stat(0, 5, "Blocked IP address - 203.0.113.45")));
    EXPECT_THAT(statistics().quarantined, ElementsAre(stat(1, 0, "")));
    EXPECT_EQ(entry(ListKind::Word, false, "win").receivedCount, 1);
}

TEST_F(NewMailPassTest, TrustedMailGoesToTheDefaultInboxAndIsRecordedThere)
{
    const std::string other = temp / "work";
    testing::makeMaildir(other);
    application = outlook::openMaildirApplication({testing::storeAt(root()), testing::storeAt(other, "Work")}, "");
    const outlook::FoldersPtr stores = application->getNamespace("MAPI")->folders();
    stores->getFirst();
    state.folders.defaultInbox = stores->getNext()->folders()->item("Inbox");
    state.folders.inboxes = {state.folders.defaultInbox, inbox};
    add(ListKind::Address, true, "Carol Miller", "carol@friends.example");
    deliver("m01.ham", classifyMessage("ham-friend.eml"));

    ASSERT_EQ(runPass(), PassEnd::Finished);
    EXPECT_EQ(placeOf("m01.ham"), Place{}) << "gone from this store";
    EXPECT_EQ(testing::messageFiles(other), std::set<std::string>{"cur/m01.ham:2,"}) << "unread in the default inbox";
    EXPECT_THAT(state.deliveredMailIds.ids(), ElementsAre("m01.ham"));
}

TEST_F(NewMailPassTest, OnlyUnreadMailSinceCheckFromTimeIsExaminedAndRecordedMailIsPassedOver)
{
    add(ListKind::Address, false, "", "offers@spam.example");
    deliver("m01.old", classifyMessage("blocked-sender.eml"), 24 * 8);
    deliver("m02.recorded", classifyMessage("blocked-sender.eml"));
    testing::putMessage(root(), "cur", "m03.read:2,S", testing::localSeconds(2024, 3, 15, 11, 0),
        classifyMessage("blocked-sender.eml"));
    state.deliveredMailIds.append("M02.RECORDED");

    ASSERT_EQ(runPass(), PassEnd::Finished);
    EXPECT_EQ(placeOf("m01.old"), inInbox) << "received before CheckFromTime";
    EXPECT_EQ(placeOf("m02.recorded"), inInbox) << "recorded, compared without regard to case";
    EXPECT_EQ(placeOf("m03.read"), (Place{"Inbox", true}));
    EXPECT_TRUE(statistics().blocked.empty());
}

TEST_F(NewMailPassTest, TheAddressDecidesBeforeTheDomainAndWhiteBeforeBlack)
{
    add(ListKind::Address, true, "", "both@lists.example");
    add(ListKind::Address, false, "", "both@lists.example");
    add(ListKind::Address, true, "", "friend@junk.example");
    add(ListKind::Domain, false, "junk.example");
    add(ListKind::Domain, true, "mixed.example");
    add(ListKind::Domain, false, "mixed.example");
    add(ListKind::Domain, false, "caps.example");
    add(ListKind::Domain, true, "nodomain");
    deliver("m1", testing::messageText("a", "both@lists.example"), 6);
    deliver("m2", testing::messageText("b", "friend@junk.example"), 5);
    deliver("m3", testing::messageText("c", "x@mixed.example"), 4);
    deliver("m4", testing::messageText("d", "x@CAPS.example"), 3);
    deliver("m5", testing::messageText("e", "nodomain"), 2);

    ASSERT_EQ(runPass(), PassEnd::Finished);
    EXPECT_EQ(placeOf("m1"), inInbox) << "an address on both lists is trusted";
    EXPECT_EQ(placeOf("m2"), inInbox) << "a white address beats a black domain";
    EXPECT_EQ(placeOf("m3"), inInbox) << "a domain on both lists is trusted";
    EXPECT_EQ(placeOf("m4"), inQuarantine) << "domains compare with letter case";
    EXPECT_EQ(placeOf("m5"), inInbox) << "an address without @ is its own domain";
    EXPECT_THAT(statistics().accepted,
        ElementsAre(stat(2, 1, "Trusted e-mail - both@lists.example"),
            stat(2, 1, "Trusted e-mail - friend@junk.example"), stat(2, 2, "Trusted domain - mixed.example"),
            stat(2, 2, "Trusted domain - nodomain")));
    EXPECT_EQ(entry(ListKind::Domain, false, "junk.example").receivedCount, 0);
}

// The real application, except that the safe mail item cannot be created.
class NoSafeMailItems final : public outlook::Application {
public:
    explicit NoSafeMailItems(outlook::ApplicationPtr real) : real_(std::move(real)) { }
    outlook::NamespacePtr getNamespace(std::string_view type) override { return real_->getNamespace(type); }
    outlook::ItemPtr createItem(int type) override { return real_->createItem(type); }
    std::shared_ptr<outlook::SafeMailItem> createSafeMailItem() override { return nullptr; }
    std::shared_ptr<outlook::SafeContactItem> createSafeContactItem() override
    {
        return real_->createSafeContactItem();
    }
    std::shared_ptr<outlook::MapiUtils> createMapiUtils() override { return real_->createMapiUtils(); }
    std::shared_ptr<outlook::CdoSession> createCdoSession() override { return real_->createCdoSession(); }

private:
    outlook::ApplicationPtr real_;
};

// The clock of a debug log that asks the pass to stop when its n-th line is written.
class StopAtLine final : public Clock {
public:
    StopAtLine(const Clock& clock, int line, std::atomic<bool>& stop) : clock_(clock), line_(line), stop_(stop) { }
    double nowOleDate() const override { return clock_.nowOleDate(); }
    std::tm nowLocal() const override { return clock_.nowLocal(); }
    UtcTimeOfDay nowUtcTimeOfDay() const override
    {
        if (++lines_ == line_)
            stop_ = true;
        return clock_.nowUtcTimeOfDay();
    }

private:
    const Clock& clock_;
    int line_;
    std::atomic<bool>& stop_;
    mutable int lines_ = 0;
};

TEST_F(NewMailPassTest, AStopRequestEndsThePassBetweenTwoEMailsNeverInsideOne)
{
    for (const char* name : {"m1", "m2", "m3"})
        deliver(name, classifyMessage("received-chain.eml"));
    std::atomic<bool> stop = false;
    // Line 3 is the second stage's line for the first e-mail: the request
    // comes while that e-mail is being handled.
    StopAtLine stopping(clock, 3, stop);
    DebugLog stoppingLog(openAppendOnlyFile(logPath()), stopping);
    stoppingLog.setEnabled(true);
    PassContext context = state.passContext(*application, stoppingLog, clock, nullptr, &stop);

    EXPECT_EQ(AnalizeNewMail(context), PassEnd::Stopped);
    EXPECT_EQ(placeOf("m1"), inQuarantine);
    EXPECT_EQ(placeOf("m2"), inInbox);
    EXPECT_EQ(placeOf("m3"), inInbox);
    EXPECT_THAT(statistics().quarantined, ElementsAre(stat(1, 0, "")));
    EXPECT_EQ(logLines().size(), 3u) << "no finished line";
}

TEST_F(NewMailPassTest, FailuresEndTheStepTheyBelongTo)
{
    add(ListKind::Address, true, "", "carol@friends.example");
    deliver("m1", classifyMessage("ham-friend.eml"));

    NoSafeMailItems withoutSafeItems(application);
    PassContext context = state.passContext(withoutSafeItems, log, clock);
    EXPECT_EQ(AnalizeNewMail(context), PassEnd::NoSafeMailItem);
    EXPECT_THAT(logLines(), ElementsAre("  AnalizeNewMail - entering - 11:0:0.0")) << "no further line";
    EXPECT_TRUE(state.deliveredMailIds.ids().empty());

    // A folder that cannot be searched ends the pass before the next one.
    const std::string gone = temp / "gone";
    testing::makeMaildir(gone);
    application = outlook::openMaildirApplication({testing::storeAt(gone, "Gone"), testing::storeAt(root())}, "");
    const outlook::FolderPtr goneInbox = application->getNamespace("MAPI")->getDefaultFolder(outlook::olFolderInbox);
    std::filesystem::remove_all(gone);
    state.folders.inboxes = {goneInbox, inbox};
    std::filesystem::remove(logPath());
    EXPECT_EQ(runPass(), PassEnd::Failed);
    EXPECT_THAT(logLines(), ElementsAre("  AnalizeNewMail - entering - 11:0:0.0"));
    EXPECT_TRUE(state.deliveredMailIds.ids().empty());

    // An empty slot is passed over.
    state.folders.inboxes = {nullptr, inbox};
    EXPECT_EQ(runPass(), PassEnd::Finished);
    EXPECT_THAT(state.deliveredMailIds.ids(), ElementsAre("m1"));
}

TEST_F(NewMailPassTest, BrokenMessagesAreJudgedAndMovedWholeLikeAnyOther)
{
    sampleLists();
    int hours = 1;
    std::vector<std::string> names;
    for (const auto& file : std::filesystem::directory_iterator(std::string(KVN_TEST_DATA_DIR) + "/broken")) {
        names.push_back("b" + std::to_string(hours) + ".broken");
        deliver(names.back(), testing::readWholeFile(file.path().string()), hours++);
    }
    ASSERT_EQ(runPass(), PassEnd::Finished);
    for (const std::string& name : names)
        EXPECT_EQ(placeOf(name), inQuarantine) << name << ": no list knows its sender";
    EXPECT_EQ(statistics().quarantined.size() + decisions().size(), names.size());
    ASSERT_EQ(runPass(), PassEnd::Finished);
    EXPECT_EQ(statistics().quarantined.size() + decisions().size(), names.size()) << "each judged once";
}

} // namespace
} // namespace kvn
