// A watcher on a pass hears, for each e-mail, the verdict, the rule and the
// entry that decided, exactly as the pass acted on it.
#include "tests/analysis/classification_fixture.h"

#include <map>

namespace kvn::testing {
namespace {

struct Heard {
    Verdict verdict;
    DecidingRule rule;
    std::string matched; // the entry's address or value; empty for none
    bool white = false;
    bool operator==(const Heard&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Heard& heard)
{
    return out << static_cast<int>(heard.verdict) << "/" << static_cast<int>(heard.rule) << "/" << heard.matched
               << (heard.white ? "/white" : "/black");
}

class Watcher final : public PassObserver {
public:
    void decided(const PassDecision& decision) override
    {
        std::string matched;
        if (decision.entry)
            matched = decision.entry->extra.empty() ? decision.entry->value : decision.entry->extra;
        heard[decision.entryId] = {decision.verdict, decision.rule, matched, decision.white};
    }
    void failedSameSender(const std::string& entryId) override { sameSenderFailures.push_back(entryId); }

    std::map<std::string, Heard> heard;
    std::vector<std::string> sameSenderFailures;
};

class PassObserverTest : public ClassificationTest {
protected:
    PassEnd runWatchedPass()
    {
        PassContext context = state.passContext(*application, log, clock);
        context.observer = &watcher;
        return AnalizeNewMail(context);
    }

    Watcher watcher;
};

TEST_F(PassObserverTest, EachVerdictIsToldWithItsRuleAndEntry)
{
    add(ListKind::Address, true, "Carol", "carol@friends.example");
    add(ListKind::Domain, false, "junk.example");
    add(ListKind::Word, true, "winter");
    add(ListKind::Word, false, "cheap pills");
    add(ListKind::FileType, false, "exe");
    deliver("1.friend", classifyMessage("ham-friend.eml"), 6);
    deliver("2.junk", classifyMessage("blocked-domain.eml"), 5);
    deliver("3.subject", classifyMessage("encoded-subject.eml"), 4);
    deliver("4.body", classifyMessage("spam-html-only.eml"), 3);
    deliver("5.attachment", classifyMessage("multipart-attachments.eml"), 2);
    deliver("6.nobody", classifyMessage("no-from.eml"), 1);

    ASSERT_EQ(runWatchedPass(), PassEnd::Finished);

    const std::map<std::string, Heard> expected = {
        {"1.friend", {Verdict::Trusted, DecidingRule::SenderAddress, "carol@friends.example", true}},
        {"2.junk", {Verdict::Blocked, DecidingRule::SenderDomain, "junk.example", false}},
        {"3.subject", {Verdict::Quarantined, DecidingRule::SubjectWord, "winter", true}},
        {"4.body", {Verdict::Quarantined, DecidingRule::BodyWord, "cheap pills", false}},
        {"5.attachment", {Verdict::Quarantined, DecidingRule::AttachmentType, "exe", false}},
        {"6.nobody", {Verdict::Quarantined, DecidingRule::None, "", false}},
    };
    EXPECT_EQ(watcher.heard, expected);
    // What was told is what was done.
    EXPECT_EQ(placeOf("2.junk"), (Place{"Trash", true}));
    EXPECT_EQ(placeOf("4.body"), (Place{"KVN Quarantined", false}));
    EXPECT_EQ(decisions().size(), 3u);
}

TEST_F(PassObserverTest, WithProcessQWndMailsTheSecondStageVerdictIsTheCarriedOutOne)
{
    state.settings.processQuarantined = true;
    add(ListKind::Word, true, "winter");
    add(ListKind::Word, false, "cheap pills");
    deliver("1.subject", classifyMessage("encoded-subject.eml"), 2);
    deliver("2.body", classifyMessage("spam-html-only.eml"), 1);

    ASSERT_EQ(runWatchedPass(), PassEnd::Finished);

    EXPECT_EQ(watcher.heard["1.subject"], (Heard{Verdict::Trusted, DecidingRule::SubjectWord, "winter", true}));
    EXPECT_EQ(watcher.heard["2.body"], (Heard{Verdict::Blocked, DecidingRule::BodyWord, "cheap pills", false}));
    EXPECT_EQ(placeOf("2.body"), (Place{"Trash", true}));
}

TEST_F(PassObserverTest, AFailedSameSenderCheckIsToldBeforeTheQuarantine)
{
    state.data.ownAddresses().push_back({"me@home.example", "192.0.2.1"});
    add(ListKind::Address, true, "", "me@home.example");
    deliver("1.spoofed", classifyMessage("own-address-spoofed.eml"));

    ASSERT_EQ(runWatchedPass(), PassEnd::Finished);

    EXPECT_EQ(watcher.sameSenderFailures, std::vector<std::string>{"1.spoofed"});
    EXPECT_EQ(watcher.heard["1.spoofed"], (Heard{Verdict::Quarantined, DecidingRule::None, "", false}));
    EXPECT_EQ(placeOf("1.spoofed"), (Place{"KVN Quarantined", false}));
}

} // namespace
} // namespace kvn::testing
