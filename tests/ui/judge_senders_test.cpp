// Friend, Foe and the quarantine window's variant: which questions come, where
// each e-mail goes, what the lists hold afterwards.
#include "tests/ui/judge_fixture.h"

#include <gmock/gmock.h>

namespace kvn::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST_F(JudgeTest, FriendTrustsTheSenderMovesTheMailAndSweepsItsAddressFromTheFolderShown)
{
    listAddress(true, "Zed", "zed@example.org");
    listAddress(true, "Adam", "adam@example.org");
    arrive("Work", "1.judged", "Ann <Ann@Example.org>", 10);
    arrive("Work", "2.later", "Ann <ann@example.org>", 11);
    arrive("Work", "3.older", "Ann <ann@example.org>", 9);
    arrive("Work", "4.upper", "Ann <ANN@example.org>", 11);
    arrive("Work", "5.other", "Bob <bob@example.org>", 11);
    view("Work", {"1.judged"});

    judgeSenders(true);

    EXPECT_EQ(whereIs("1.judged"), "Inbox");
    EXPECT_EQ(whereIs("2.later"), "Inbox") << "received after the judged e-mail, from its address";
    EXPECT_EQ(whereIs("3.older"), "Work") << "received before every selected e-mail";
    EXPECT_EQ(whereIs("4.upper"), "Work") << "the sweep compares addresses with letter case";
    EXPECT_EQ(whereIs("5.other"), "Work");
    EXPECT_THAT(addresses(true), ElementsAre("adam@example.org", "ann@example.org", "zed@example.org"));
    const ListEntry& made = addressEntry(true, "ann@example.org");
    EXPECT_EQ(made.value, "Ann");
    EXPECT_EQ(made.receivedCount, 0);
    EXPECT_EQ(made.dateAdded, "2024.03.15");
    EXPECT_EQ(made.lastReceived, "");
    EXPECT_THAT(ui.shown(), IsEmpty());
}

TEST_F(JudgeTest, FriendOnATrustedDomainDoesNothingButTrustWholeDomainMovesAndRecordsTheMail)
{
    listDomain(true, "example.org");
    arrive("Work", "1.a", "Ann <ann@example.org>", 10);
    view("Work", {"1.a"});

    judgeSenders(true);
    EXPECT_EQ(whereIs("1.a"), "Work");
    EXPECT_THAT(addresses(true), IsEmpty());

    view("Work", {"1.a"});
    judgeDomains(true);
    EXPECT_EQ(whereIs("1.a"), "Inbox");
    EXPECT_THAT(delivered.ids(), ElementsAre("1.a"));
    EXPECT_THAT(domains(true), ElementsAre("example.org"));
    EXPECT_THAT(ui.shown(), IsEmpty());
}

TEST_F(JudgeTest, FriendOnATrustedAddressChangesNoListButMovesAndSweeps)
{
    listAddress(true, "Ann", "ann@example.org", 7);
    arrive("Work", "1.a", "Ann <ann@example.org>", 10);
    arrive("Work", "2.b", "Ann <ann@example.org>", 12);
    view("Work", {"1.a"});

    judgeSenders(true);

    EXPECT_EQ(whereIs("1.a"), "Inbox");
    EXPECT_EQ(whereIs("2.b"), "Inbox");
    EXPECT_THAT(addresses(true), ElementsAre("ann@example.org"));
    EXPECT_EQ(addressEntry(true, "ann@example.org").receivedCount, 7);
}

TEST_F(JudgeTest, NoToMoveToWhiteListLeavesTheMailUnderFriendButTheQuarantineVariantMovesIt)
{
    listAddress(false, "Ann", "ann@example.org");
    arrive("Work", "1.a", "Ann <ann@example.org>", 10);
    view("Work", {"1.a"});
    ui.expect("Move to White List?", MessageAnswer::No);

    judgeSenders(true);
    EXPECT_EQ(whereIs("1.a"), "Work");
    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_EQ(ui.shown()[0].text,
        "Are you sure you want to receive e-mails from ann@example.org, because this address is currently blocked");
    EXPECT_EQ(ui.shown()[0].icon, MessageIcon::Warning);
    EXPECT_EQ(ui.shown()[0].buttons, MessageButtons::YesNo);

    ui.expect("Move to White List?", MessageAnswer::No);
    JudgeContext judging = context();
    JudgeSender(judging, true, folder("Work")->items()->getFirst()->asMailItem(), "Ann@Example.ORG", "Ann");
    EXPECT_EQ(whereIs("1.a"), "Inbox");
    EXPECT_THAT(addresses(false), ElementsAre("ann@example.org"));
    EXPECT_THAT(addresses(true), IsEmpty());
}

TEST_F(JudgeTest, YesMovesTheEntryToItsSortedPlaceOnTheOtherListWithTheIndexInStep)
{
    listAddress(false, "Ann", "ann@example.org");
    listAddress(false, "Abe", "abe@example.org");
    listAddress(false, "Zoe", "zoe@example.org");
    listAddress(true, "Amy", "amy@example.org");
    listAddress(true, "Bea", "bea@example.org");
    arrive("Work", "1.a", "Ann <ann@example.org>", 10);
    view("Work", {"1.a"});
    ui.expect("Move to White List?", MessageAnswer::Yes);

    judgeSenders(true);

    EXPECT_EQ(whereIs("1.a"), "Inbox");
    EXPECT_THAT(addresses(true), ElementsAre("amy@example.org", "ann@example.org", "bea@example.org"));
    EXPECT_THAT(addresses(false), ElementsAre("abe@example.org", "zoe@example.org"));
    EXPECT_EQ(addressEntry(true, "ann@example.org").dateAdded, "2024.03.15");
}

TEST_F(JudgeTest, FriendOnABlockedDomainAsksOnceAndMovesABlockedAddressWithoutAskingAgain)
{
    listDomain(false, "bad.example");
    listAddress(false, "Spam", "spam@bad.example");
    arrive("Work", "1.no", "Spam <spam@bad.example>", 10);
    arrive("Work", "2.yes", "Spam <spam@bad.example>", 11);

    view("Work", {"1.no"});
    ui.expect("Trust address?", MessageAnswer::No);
    judgeSenders(true);
    EXPECT_EQ(whereIs("1.no"), "Work");
    EXPECT_THAT(addresses(false), ElementsAre("spam@bad.example"));

    view("Work", {"2.yes"});
    ui.expect("Trust address?", MessageAnswer::Yes);
    judgeSenders(true);
    EXPECT_EQ(whereIs("2.yes"), "Inbox");
    EXPECT_EQ(whereIs("1.no"), "Work") << "received before the judged e-mail";
    EXPECT_THAT(addresses(true), ElementsAre("spam@bad.example"));
    EXPECT_THAT(addresses(false), IsEmpty());
    EXPECT_EQ(ui.shown().back().text,
        "Are you sure you want to receive e-mails from this address?\nThe domain of this address is currently "
        "blocked!");
    EXPECT_THAT(domains(false), ElementsAre("bad.example"));
}

TEST_F(JudgeTest, FoeBlocksTrustedAddressesAfterAskingAndSweepsThemToDeletedItems)
{
    listAddress(true, "Ann", "ann@example.org");
    arrive("Work", "1.a", "Ann <ann@example.org>", 10);
    arrive("Work", "2.b", "Bob <bob@example.net>", 9);
    arrive("Work", "3.c", "Ann <ann@example.org>", 12);
    arrive("Work", "4.d", "Bob <bob@example.net>", 8);
    view("Work", {"1.a", "2.b"});
    ui.expect("Move to Black List?", MessageAnswer::Yes);

    judgeSenders(false);

    EXPECT_EQ(ui.shown().at(0).text,
        "Are you sure you want to block e-mails from ann@example.org, because this address is currently set to "
        "'friendly'");
    for (const char* unique : {"1.a", "2.b", "3.c"})
        EXPECT_EQ(whereIs(unique), "Trash") << unique;
    EXPECT_EQ(whereIs("4.d"), "Work") << "before the earliest selected e-mail";
    EXPECT_THAT(addresses(false), ElementsAre("ann@example.org", "bob@example.net"));
    EXPECT_THAT(addresses(true), IsEmpty());
}

TEST_F(JudgeTest, FoeOnATrustedDomainAsksAndOnABlockedDomainDoesNothing)
{
    listDomain(true, "example.org");
    listDomain(false, "bad.example");
    arrive("Work", "1.a", "Ann <ann@example.org>", 10);
    arrive("Work", "2.s", "Spam <spam@bad.example>", 10);
    view("Work", {"1.a", "2.s"});
    ui.expect("Block address?", MessageAnswer::No);

    judgeSenders(false);

    EXPECT_EQ(ui.shown().at(0).text,
        "Are you sure you want to block e-mails from this address?\nThe domain of this address is currently trusted!");
    EXPECT_EQ(whereIs("1.a"), "Work");
    EXPECT_EQ(whereIs("2.s"), "Work");
    EXPECT_THAT(addresses(false), IsEmpty());
}

TEST_F(JudgeTest, ATrustSweepWhileViewingAnInboxMovesNothingButTheJudgedMail)
{
    arrive("Old Inbox", "1.a", "Ann <ann@example.org>", 10);
    arrive("Old Inbox", "2.b", "Ann <ann@example.org>", 11);
    view("Old Inbox", {"1.a"});

    judgeSenders(true);

    EXPECT_EQ(whereIs("1.a"), "Inbox");
    EXPECT_EQ(whereIs("2.b"), "Old Inbox");
    EXPECT_THAT(addresses(true), ElementsAre("ann@example.org"));
}

TEST_F(JudgeTest, AnEmptySelectionChangesNoListAndMovesNothing)
{
    listAddress(false, "Ann", "ann@example.org");
    arrive("Work", "1.a", "Ann <ann@example.org>", 10);
    view("Work");

    judgeSenders(false);

    EXPECT_EQ(whereIs("1.a"), "Work");
    EXPECT_THAT(addresses(false), ElementsAre("ann@example.org"));
    EXPECT_THAT(addresses(true), IsEmpty());
}

TEST_F(JudgeTest, AFolderOfContactsIsRefusedAsIncompatible)
{
    std::filesystem::create_directories(temp / "contacts");
    outlook::StoreConfig store = storeAt(root());
    store.contactsFolder = temp / "contacts";
    stores = outlook::openMaildirApplication({store}, "Default");
    mapi = stores->getNamespace("MAPI");
    explorer
        = std::make_shared<host::HostExplorer>(nullptr, nullptr, mapi->getDefaultFolder(outlook::olFolderContacts));
    host = com::makeObject<host::HostApplication>(stores, explorer);
    ui.expect("Incompatible items", MessageAnswer::Ok).expect("Incompatible items", MessageAnswer::Ok);

    judgeSenders(true);
    judgeDomains(false);

    EXPECT_EQ(ui.shown().at(0).text, "This feature only works with Mail Items\nPlease select only e-mails.");
    EXPECT_EQ(ui.shown().at(0).icon, MessageIcon::Error);
    EXPECT_EQ(ui.shown().at(0).buttons, MessageButtons::Ok);
}

TEST_F(JudgeTest, TheQuarantineVariantBlocksWithoutTheDomainQuestionAndMovesInEveryCase)
{
    listDomain(true, "example.org");
    listAddress(true, "Ann", "ann@example.org");
    arrive("Work", "1.a", "Ann <ann@example.org>", 10);
    arrive("Work", "2.b", "Ann <ann@example.org>", 11);
    view("Work");

    JudgeContext judging = context();
    const outlook::ItemsPtr items = folder("Work")->items();
    outlook::MailItemPtr first;
    for (outlook::ItemPtr item = items->getFirst(); item; item = items->getNext())
        if (item->asMailItem()->entryId() == "1.a")
            first = item->asMailItem();
    JudgeSender(judging, false, first, "ann@example.org", "Ann");

    EXPECT_EQ(whereIs("1.a"), "Trash");
    EXPECT_EQ(whereIs("2.b"), "Work") << "no sweep";
    EXPECT_THAT(addresses(false), ElementsAre("ann@example.org")) << "moved without asking: the domain is trusted";
    EXPECT_THAT(addresses(true), IsEmpty());
    EXPECT_THAT(ui.shown(), IsEmpty());
}

} // namespace
} // namespace kvn::testing
