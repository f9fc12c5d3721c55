// Items of an inbox that are no e-mails (delivery and read reports, meeting
// requests) through whole passes: nothing judges, moves or counts them.
#include "analysis/quarantined_mail.h"

#include "tests/analysis/classification_fixture.h"

#include <gmock/gmock.h>

namespace kvn {
namespace {

using testing::classifyMessage;
using ::testing::ElementsAre;
using testing::Place;

const Place inInbox{"Inbox", false};

class OtherItemsTest : public testing::ClassificationTest {
protected:
    OtherItemsTest()
    {
        // Lists that would block every one of these senders and words.
        add(ListKind::Address, false, "", "erik@unknown.example");
        add(ListKind::Domain, false, "partner.example");
        add(ListKind::Word, false, "cheap pills");
        add(ListKind::IpRange, false, "0.0.0.0", "255.255.255.255");
        deliver("r1.bounce", classifyMessage("delivery-report.eml"), 5);
        deliver("r2.read", classifyMessage("read-report.eml"), 4);
        deliver("r3.invite", classifyMessage("meeting-invitation.eml"), 3);
        deliver("r4.cancel", classifyMessage("calendar-cancel.eml"), 2);
        deliver("m5.attached", classifyMessage("calendar-attached.eml"), 1);
    }
};

TEST_F(OtherItemsTest, APassLeavesReportsAndMeetingRequestsUnreadWhereTheyAre)
{
    for (const bool processed : {false, true}) {
        state.settings.processQuarantined = processed;
        ASSERT_EQ(runPass(), PassEnd::Finished);
        for (const char* name : {"r1.bounce", "r2.read", "r3.invite", "r4.cancel"})
            EXPECT_EQ(placeOf(name), inInbox) << name << (processed ? ", processing filtered mail" : "");
    }
    EXPECT_EQ(placeOf("m5.attached"), (Place{"Trash", true})) << "an e-mail that attaches a calendar is mail";
    EXPECT_THAT(statistics().blocked,
        ElementsAre(
            StatRecord{testing::oleDateOf(2024, 3, 15, 12, 0), 0, 1, "Blocked e-mail - erik@unknown.example", {}}));
    EXPECT_TRUE(statistics().quarantined.empty());
    EXPECT_TRUE(statistics().accepted.empty());
    EXPECT_TRUE(decisions().empty());
    EXPECT_TRUE(state.deliveredMailIds.ids().empty());
    EXPECT_EQ(entry(ListKind::Word, false, "cheap pills").receivedCount, 0);
    EXPECT_EQ(entry(ListKind::IpRange, false, "0.0.0.0").receivedCount, 0);
    for (const std::string& line : logLines())
        EXPECT_EQ(line.find("AnalizeQuarantinedMail"), std::string::npos) << "the second stage never saw one";
}

TEST_F(OtherItemsTest, TheSecondStageAnswersFalseForARealReport)
{
    const outlook::ItemsPtr items = inbox->items();
    ASSERT_TRUE(items);
    int others = 0;
    PassContext context = state.passContext(*application, log, clock);
    for (outlook::ItemPtr item = items->getFirst(); item; item = items->getNext()) {
        if (item->asMailItem())
            continue;
        ++others;
        EXPECT_FALSE(AnalizeQuarantinedMail(context, item));
    }
    EXPECT_EQ(others, 4);
    EXPECT_EQ(testing::messageFiles(root() + "/.KVN Quarantined").size(), 0u);
    EXPECT_TRUE(decisions().empty());
}

} // namespace
} // namespace kvn
