// The failure rules: the safe mail item or the clean-up object that cannot be
// made ends Friend and Foe at that e-mail (no sweep, earlier changes kept)
// and makes the domain commands pass the e-mail over; a failed move leaves
// the e-mail where it is and the list change stands.
#include "tests/ui/judge_fixture.h"

#include <gmock/gmock.h>

#include <sys/stat.h>

namespace kvn::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The host's object model, with the named objects made only a number of times.
class RationedApplication final : public outlook::Application {
public:
    explicit RationedApplication(outlook::ApplicationPtr real) : real_(std::move(real)) { }
    int safeMailItemsLeft = 1000;
    int mapiUtilsLeft = 1000;

    outlook::NamespacePtr getNamespace(std::string_view type) override { return real_->getNamespace(type); }
    outlook::ItemPtr createItem(int type) override { return real_->createItem(type); }
    std::shared_ptr<outlook::SafeMailItem> createSafeMailItem() override
    {
        return safeMailItemsLeft-- > 0 ? real_->createSafeMailItem() : nullptr;
    }
    std::shared_ptr<outlook::SafeContactItem> createSafeContactItem() override
    {
        return real_->createSafeContactItem();
    }
    std::shared_ptr<outlook::MapiUtils> createMapiUtils() override
    {
        return mapiUtilsLeft-- > 0 ? real_->createMapiUtils() : nullptr;
    }
    std::shared_ptr<outlook::CdoSession> createCdoSession() override { return real_->createCdoSession(); }
    outlook::ExplorerPtr activeExplorer() override { return real_->activeExplorer(); }

private:
    outlook::ApplicationPtr real_;
};

class JudgeFailureTest : public JudgeTest {
protected:
    JudgeFailureTest()
    {
        arrive("Work", "1.a", "Ann <ann@example.org>", 10);
        arrive("Work", "2.b", "Bob <bob@example.org>", 10);
        arrive("Work", "3.c", "Ann <ann@example.org>", 11);
        view("Work", {"1.a", "2.b"});
    }
    RationedApplication rationed{host->objectModel()};
};

TEST_F(JudgeFailureTest, NoSafeMailItemEndsFriendAtThatMailWithoutASweep)
{
    rationed.safeMailItemsLeft = 1;
    JudgeContext judging = context(&rationed);
    JudgeSelectedSenders(judging, true);

    EXPECT_EQ(whereIs("1.a"), "Inbox");
    EXPECT_EQ(whereIs("2.b"), "Work") << "not judged";
    EXPECT_EQ(whereIs("3.c"), "Work") << "no sweep";
    EXPECT_THAT(addresses(true), ElementsAre("ann@example.org"));
}

TEST_F(JudgeFailureTest, NoCleanUpObjectEndsFoeAfterTheFirstMail)
{
    rationed.mapiUtilsLeft = 0;
    JudgeContext judging = context(&rationed);
    JudgeSelectedSenders(judging, false);

    EXPECT_EQ(whereIs("1.a"), "Trash");
    EXPECT_EQ(whereIs("2.b"), "Work");
    EXPECT_EQ(whereIs("3.c"), "Work");
    EXPECT_THAT(addresses(false), ElementsAre("ann@example.org"));
}

TEST_F(JudgeFailureTest, TheDomainCommandsPassOverAMailWhoseSenderCannotBeRead)
{
    rationed.safeMailItemsLeft = 0;
    rationed.mapiUtilsLeft = 0;
    JudgeContext judging = context(&rationed);
    JudgeSelectedDomains(judging, true);

    EXPECT_EQ(whereIs("1.a"), "Work");
    EXPECT_THAT(domains(true), IsEmpty());
    EXPECT_THAT(ui.shown(), IsEmpty());
}

TEST_F(JudgeFailureTest, AFailedMoveLeavesTheMailWhereItIsAndTheListChangeStands)
{
    // Deleted Items, found before, cannot take e-mails any more: a file
    // stands where its folder was.
    JudgeContext judging = context();
    std::filesystem::remove_all(root() + "/.Trash");
    writeWholeFile(root() + "/.Trash", "not a folder");
    JudgeSelectedSenders(judging, false);

    EXPECT_EQ(whereIs("1.a"), "Work");
    EXPECT_THAT(addresses(false), ElementsAre("ann@example.org", "bob@example.org"));
}

} // namespace
} // namespace kvn::testing

namespace kvn::testing {
namespace {

// E-mails no mail program would write, and one another program took away
// after it was selected: each is passed over or judged by what can be read
// of it, and the others are judged all the same.
TEST_F(JudgeTest, HostileMailIsPassedOverOrJudgedByWhatCanBeRead)
{
    const std::string work = root() + "/.Work";
    const std::int64_t ten = localSeconds(2024, 3, 14, 10, 0);
    arrive("Work", "1.good", "Ann <ann@example.org>", 10);
    putMessage(work, "new", "2.nofrom", ten, "To: me@example.org\r\nSubject: no sender\r\n\r\nHello.\r\n");
    putMessage(work, "new", "3.latin1", ten, "From: J\xe9r\xf4me <Jer\xf4me@Example.org>\r\nSubject: x\r\n\r\nHi.\r\n");
    putMessage(work, "new", "4.cut", ten, "From: Cut <cut@exa");
    putMessage(work, "new", "5.huge", ten, "From: " + std::string(200000, 'a') + "\r\nSubject: long\r\n\r\nHi.\r\n");
    arrive("Work", "6.gone", "Gone <gone@example.org>", 10);
    view("Work", {"1.good", "2.nofrom", "3.latin1", "4.cut", "5.huge", "6.gone"});
    std::filesystem::remove(work + "/new/6.gone");
    ASSERT_EQ(::mkfifo((work + "/new/7.fifo").c_str(), 0600), 0);
    arrive("Work", "8.later", "Ann <ann@example.org>", 11);

    judgeSenders(true);

    EXPECT_EQ(whereIs("1.good"), "Inbox");
    EXPECT_EQ(whereIs("8.later"), "Inbox") << "the sweep walks past the FIFO";
    EXPECT_EQ(whereIs("2.nofrom"), "Work") << "no sender";
    EXPECT_EQ(whereIs("3.latin1"), "Work") << "a sender that is no UTF-8 is not read";
    EXPECT_EQ(whereIs("6.gone"), "gone");
    // What can be read of a header cut short, or of a sender of 200,000
    // letters, is the address the user judged.
    EXPECT_EQ(whereIs("4.cut"), "Inbox");
    EXPECT_EQ(whereIs("5.huge"), "Inbox");
    EXPECT_THAT(addresses(true), ElementsAre(std::string(200000, 'a'), "ann@example.org", "cut@exa"));
    EXPECT_THAT(ui.shown(), IsEmpty());
}

} // namespace
} // namespace kvn::testing
