// Same-sender protection inside a pass: spoofed own mail, genuine own mail
// through the learned server, the calibration e-mail, and the switch.
#include "analysis/own_mail_check.h"

#include "tests/analysis/classification_fixture.h"

#include <gmock/gmock.h>

namespace kvn {
namespace {

using testing::classifyMessage;
using ::testing::ElementsAre;
using testing::Place;

const Place inInbox{"Inbox", false};
const Place inQuarantine{"KVN Quarantined", false};

StatRecord stat(std::int32_t category, std::int32_t reason, std::string message)
{
    return {testing::oleDateOf(2024, 3, 15, 12, 0), category, reason, std::move(message), {}};
}

// An e-mail from `from` to someone else with `cc` as a copy.
std::string copyToSelf(const std::string& from, const std::string& cc, const std::string& subject)
{
    return "Received: from relay.example (relay.example [192.0.2.99])\n\tby mx.home.example\nFrom: " + from
        + "\nTo: someone@else.example\nCc: " + cc + "\nSubject: " + subject + "\n\nHello.\n";
}

class SameSenderTest : public testing::ClassificationTest {
protected:
    SameSenderTest()
    {
        add(ListKind::Address, true, "", "me@home.example");
        state.data.ownAddresses() = {{"me@home.example", ""}};
        state.CalibrationPending = true;
    }
};

TEST_F(SameSenderTest, TheCalibrationMailTeachesTheServerThatGenuineOwnMailMustComeThrough)
{
    deliver("m1.spoof-early", classifyMessage("own-address-spoofed.eml"), 3);
    deliver("m2.calibration", classifyMessage("calibration.eml"), 2);
    ASSERT_EQ(runPass(), PassEnd::Finished);
    EXPECT_EQ(placeOf("m1.spoof-early"), inQuarantine) << "uncalibrated: only the calibration e-mail passes";
    EXPECT_EQ(placeOf("m2.calibration"), inInbox);
    EXPECT_EQ(state.data.ownAddresses()[0].calibration, "192.0.2.33");

    deliver("m3.genuine", classifyMessage("own-address-genuine.eml"), 1);
    deliver("m4.spoofed", classifyMessage("own-address-spoofed.eml"), 1);
    deliver("m5.calibration-again", classifyMessage("calibration.eml"), 1);
    state.data.ownAddresses()[0].calibration = "192.0.2.33"; // as saved and loaded
    ASSERT_EQ(runPass(), PassEnd::Finished);
    EXPECT_EQ(placeOf("m3.genuine"), inInbox) << "through the learned server, recipients compared ignoring case";
    EXPECT_EQ(placeOf("m4.spoofed"), inQuarantine);
    EXPECT_EQ(placeOf("m5.calibration-again"), inInbox);

    EXPECT_THAT(statistics().quarantined,
        ElementsAre(stat(1, 0, "Same sender and receiver address"), stat(1, 0, "Same sender and receiver address")));
    EXPECT_THAT(statistics().accepted,
        ElementsAre(stat(2, 1, "Trusted e-mail - me@home.example"), stat(2, 1, "Trusted e-mail - me@home.example"),
            stat(2, 1, "Trusted e-mail - me@home.example")));
    EXPECT_EQ(entry(ListKind::Address, true, "me@home.example").receivedCount, 3) << "failed checks bump nothing";
}

TEST_F(SameSenderTest, WithoutCalibrationPendingEvenTheCalibrationSubjectIsQuarantined)
{
    state.CalibrationPending = false;
    deliver("m1", classifyMessage("calibration.eml"));
    ASSERT_EQ(runPass(), PassEnd::Finished);
    EXPECT_EQ(placeOf("m1"), inQuarantine);
    EXPECT_EQ(state.data.ownAddresses()[0].calibration, "");
}

TEST_F(SameSenderTest, ATrustedSenderWritingToItselfIsQuarantinedUnlessTheSecondStageTrustsIt)
{
    add(ListKind::Domain, true, "friends.example");
    add(ListKind::Word, true, "minutes");
    deliver("m1", copyToSelf("Carol <carol@friends.example>", "CAROL@friends.example", "Hello"), 2);
    deliver("m2", copyToSelf("carol@friends.example", "carol@friends.example", "The minutes"), 1);
    ASSERT_EQ(runPass(), PassEnd::Finished);
    EXPECT_EQ(placeOf("m1"), inQuarantine) << "the address is not one of the own addresses";
    EXPECT_EQ(placeOf("m2"), inQuarantine);
    EXPECT_THAT(
        decisions(), ElementsAre(QuarantineDecision{"m2", 3, "Trusted word/expression in subject - minutes", true}));
    EXPECT_THAT(statistics().quarantined, ElementsAre(stat(1, 0, "Same sender and receiver address")));
    EXPECT_EQ(entry(ListKind::Domain, true, "friends.example").receivedCount, 0);
}

TEST_F(SameSenderTest, SwitchedOffOrWithoutOwnAddressesNothingIsChecked)
{
    state.settings.sameSender = false;
    deliver("m1", classifyMessage("own-address-spoofed.eml"));
    ASSERT_EQ(runPass(), PassEnd::Finished);
    EXPECT_EQ(placeOf("m1"), inInbox);

    state.settings.sameSender = true;
    state.data.ownAddresses().clear();
    deliver("m2", copyToSelf("me@home.example", "me@home.example", "Hello"));
    ASSERT_EQ(runPass(), PassEnd::Finished);
    EXPECT_EQ(placeOf("m2"), inInbox) << "with no own address the protection is off whatever the setting says";
}

TEST_F(SameSenderTest, ABlackSenderIsDeletedWithoutTheCheck)
{
    state.data.lists().clear();
    add(ListKind::Address, false, "", "me@home.example");
    deliver("m1", classifyMessage("own-address-spoofed.eml"));
    ASSERT_EQ(runPass(), PassEnd::Finished);
    EXPECT_EQ(placeOf("m1"), (Place{"Trash", true}));
}

TEST_F(SameSenderTest, ABlindCopyToTheSenderIsACopyToItself)
{
    add(ListKind::Address, true, "", "carol@friends.example");
    deliver("m1",
        "Received: from relay.example (relay.example [192.0.2.99])\n\tby mx.home.example\n"
        "From: carol@friends.example\nTo: someone@else.example\nBcc: Carol@Friends.example\nSubject: Hi\n\nHello.\n");
    ASSERT_EQ(runPass(), PassEnd::Finished);
    EXPECT_EQ(placeOf("m1"), inQuarantine);
    EXPECT_THAT(statistics().quarantined, ElementsAre(stat(1, 0, "Same sender and receiver address")));
}

} // namespace
} // namespace kvn
