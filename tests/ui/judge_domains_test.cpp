// "Trust whole domain" and "Block whole domain": the questions with the domain
// as they show it, the addresses taken by containment, the three answers to
// keeping them, the domain sweep.
#include "tests/ui/judge_fixture.h"

#include <gmock/gmock.h>

namespace kvn::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class DomainTest : public JudgeTest {
protected:
    DomainTest()
    {
        listAddress(false, "One", "one@bad.example");
        listAddress(false, "Longer", "x@bad.example.com");
        listAddress(false, "Starts", "@bad.example.org");
        listAddress(false, "Other", "z@good.example");
        arrive("Work", "1.judged", "Spam <spam@bad.example>", 10);
        arrive("Work", "2.same", "Two <two@bad.example>", 11);
        arrive("Work", "3.longer", "X <x@bad.example.com>", 11);
        arrive("Work", "4.older", "Old <old@bad.example>", 9);
        view("Work", {"1.judged"});
        blackBefore = addresses(false);
    }
    std::vector<std::string> blackBefore;
};

TEST_F(DomainTest, TrustTakesTheDomainsAddressesOffTheBlackListUnlessKeptAndSweepsTheDomain)
{
    ui.expect("Please confirm!", MessageAnswer::Yes)
        .expect("Keep blocking addresses currently in the Black list?", MessageAnswer::No);

    judgeDomains(true);

    ASSERT_EQ(ui.shown().size(), 2u);
    EXPECT_EQ(ui.shown()[0].text,
        "Are you absolutelly sure you want to receive e-mails from any address in this domain (@bad.example)?");
    EXPECT_EQ(ui.shown()[0].icon, MessageIcon::Question);
    EXPECT_EQ(ui.shown()[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(ui.shown()[1].text,
        "Your Black list currently contains 2 e-mail addresses from this domain(@bad.example).\nWould you like to "
        "keep blocking e-mails from these addresses?");
    EXPECT_EQ(ui.shown()[1].buttons, MessageButtons::YesNoCancel);
    // The longer domain extending it is taken too; an address starting with it is not.
    EXPECT_THAT(addresses(false), ElementsAre("@bad.example.org", "z@good.example"));
    EXPECT_THAT(domains(true), ElementsAre("bad.example"));
    EXPECT_EQ(lists.sequence(ListKind::Domain, true).at(0).dateAdded, "2024.03.15");
    EXPECT_EQ(whereIs("1.judged"), "Inbox") << "the sweep finds the judged e-mail itself";
    EXPECT_EQ(whereIs("2.same"), "Inbox");
    EXPECT_EQ(whereIs("3.longer"), "Work") << "the sweep compares the domain exactly";
    EXPECT_EQ(whereIs("4.older"), "Work");
    EXPECT_THAT(delivered.ids(), IsEmpty());
}

TEST_F(DomainTest, CancelGivesBackEveryTakenEntryAtItsSortedPlaceAndAddsNoDomain)
{
    ui.expect("Please confirm!", MessageAnswer::Yes)
        .expect("Keep blocking addresses currently in the Black list?", MessageAnswer::Cancel);

    judgeDomains(true);

    EXPECT_EQ(addresses(false), blackBefore);
    EXPECT_EQ(addressEntry(false, "one@bad.example").receivedCount, 3) << "the entries come back as they were";
    EXPECT_THAT(domains(true), IsEmpty());
    EXPECT_EQ(whereIs("1.judged"), "Work");
    EXPECT_EQ(whereIs("2.same"), "Work");
}

TEST_F(DomainTest, YesKeepsBlockingTheAddressesAndStillTrustsTheDomain)
{
    ui.expect("Please confirm!", MessageAnswer::Yes)
        .expect("Keep blocking addresses currently in the Black list?", MessageAnswer::Yes);

    judgeDomains(true);

    EXPECT_EQ(addresses(false), blackBefore);
    EXPECT_THAT(domains(true), ElementsAre("bad.example"));
    EXPECT_EQ(whereIs("2.same"), "Inbox");
}

TEST_F(DomainTest, NoToTheConfirmationChangesNothing)
{
    ui.expect("Please confirm!", MessageAnswer::No);

    judgeDomains(true);

    EXPECT_EQ(addresses(false), blackBefore);
    EXPECT_THAT(domains(true), IsEmpty());
    EXPECT_EQ(whereIs("1.judged"), "Work");
}

TEST_F(DomainTest, ADomainOnTheOtherListIsASecurityAlertKeepingItsAt)
{
    listDomain(false, "bad.example");
    ui.expect("Security alert!", MessageAnswer::Ok);

    judgeDomains(true);

    EXPECT_EQ(ui.shown().at(0).text,
        "This domain(@bad.example) is currently blocked! To trust the whole domain, please first remove it by hand "
        "from the blocked domains!");
    EXPECT_EQ(ui.shown().at(0).icon, MessageIcon::Warning);
    EXPECT_EQ(ui.shown().at(0).buttons, MessageButtons::Ok);
    EXPECT_EQ(whereIs("1.judged"), "Work");
    EXPECT_EQ(addresses(false), blackBefore);
}

TEST_F(DomainTest, BlockTakesTheDomainsAddressesOffTheWhiteListAndSweepsToDeletedItems)
{
    listAddress(true, "Friend", "friend@bad.example");
    ui.expect("Please confirm!", MessageAnswer::Yes)
        .expect("Keep receiving from addresses currently in the White list?", MessageAnswer::No);

    judgeDomains(false);

    EXPECT_EQ(ui.shown().at(0).text,
        "Are you absolutelly sure you want to block all e-mails from any address in this domain(@bad.example)?");
    EXPECT_EQ(ui.shown().at(1).text,
        "Your White list currently contains 1 e-mail addresses from this domain(@bad.example).\nWould you like to "
        "keep receiving e-mails from these addresses?");
    EXPECT_THAT(addresses(true), IsEmpty());
    EXPECT_EQ(addresses(false), blackBefore) << "the black addresses are not touched";
    EXPECT_THAT(domains(false), ElementsAre("bad.example"));
    EXPECT_EQ(whereIs("1.judged"), "Trash");
    EXPECT_EQ(whereIs("2.same"), "Trash");
    EXPECT_EQ(whereIs("3.longer"), "Work");
}

TEST_F(DomainTest, BlockOnABlockedDomainMovesTheMailOnlyAndOnATrustedOneAlerts)
{
    listDomain(false, "bad.example");
    judgeDomains(false);
    EXPECT_EQ(whereIs("1.judged"), "Trash");
    EXPECT_EQ(whereIs("2.same"), "Work") << "no sweep";
    EXPECT_THAT(delivered.ids(), IsEmpty());

    arrive("Work", "5.friend", "Ann <ann@example.org>", 10);
    listDomain(true, "example.org");
    view("Work", {"5.friend"});
    ui.expect("Security alert!", MessageAnswer::Ok);
    judgeDomains(false);
    EXPECT_EQ(ui.shown().at(0).text,
        "This domain(@example.org) is currently trusted! To block the whole domain, please first remove it by hand "
        "from the trusted domains!");
    EXPECT_EQ(whereIs("5.friend"), "Work");
}

TEST_F(JudgeTest, TrustingADomainWhileViewingTheInboxSweepsItIntoItselfAndLosesNothing)
{
    arrive("Inbox", "1.a", "Ann <ann@example.org>", 10);
    arrive("Inbox", "2.b", "Bob <bob@example.org>", 11);
    view("Inbox", {"1.a"});
    ui.expect("Please confirm!", MessageAnswer::Yes);

    judgeDomains(true);

    EXPECT_EQ(whereIs("1.a"), "Inbox");
    EXPECT_EQ(whereIs("2.b"), "Inbox");
    EXPECT_EQ(messageFiles(root()).size(), 2u);
    EXPECT_THAT(domains(true), ElementsAre("example.org"));
}

} // namespace
} // namespace kvn::testing
