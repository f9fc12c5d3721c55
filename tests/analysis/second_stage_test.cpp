// The second stage over real messages: each rule deciding, the order of the
// rules, white before black within a rule, and what it leaves undecided.
#include "analysis/quarantined_mail.h"

#include "tests/analysis/classification_fixture.h"

#include <gmock/gmock.h>

namespace kvn {
namespace {

using ::testing::ElementsAre;
using testing::Place;

// A message from an unknown sender, delivered through `ip`.
std::string mail(const std::string& subject, const std::string& body, const std::string& ip = "192.0.2.1",
    const std::vector<std::string>& attachments = {}, const std::string& type = "text/plain")
{
    std::string text = "Received: from relay.example (relay.example [" + ip
        + "])\n\tby mx.home.example; Thu, 14 Mar 2024 10:00:00 +0100\n"
          "From: stranger@unknown.example\nTo: me@home.example\nSubject: "
        + subject + "\nMIME-Version: 1.0\n";
    if (attachments.empty())
        return text + "Content-Type: " + type + "; charset=UTF-8\n\n" + body + "\n";
    text += "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Type: " + type + "\n\n" + body + "\n";
    for (const std::string& name : attachments)
        text += "--b\nContent-Type: application/octet-stream\nContent-Disposition: attachment; filename=\"" + name
            + "\"\n\nxx\n";
    return text + "--b--\n";
}

class SecondStageTest : public testing::ClassificationTest {
protected:
    // The proposed decision for the one message delivered, after a pass.
    std::string decide(const std::string& text)
    {
        deliver("one", text);
        EXPECT_EQ(runPass(), PassEnd::Finished);
        const auto& found = decisions();
        std::string answer = found.empty() ? std::string("none")
                                           : (found.back().isWhite ? "trust: " : "block: ") + found.back().message;
        state.data.quarantineDecisions().clear();
        std::filesystem::remove_all(root() + "/.KVN Quarantined/cur");
        std::filesystem::create_directory(root() + "/.KVN Quarantined/cur");
        return answer;
    }
};

TEST_F(SecondStageTest, RulesAreTriedSubjectBodyAttachmentIpRangeWithWhiteBeforeBlackInEach)
{
    add(ListKind::Word, true, "invoice");
    add(ListKind::Word, false, "win");
    add(ListKind::Word, false, "offer");
    add(ListKind::FileType, false, "exe");
    add(ListKind::FileType, true, "pdf");
    add(ListKind::IpRange, false, "10.0.0.0", "10.255.255.255");
    add(ListKind::IpRange, true, "10.1.0.0", "10.1.0.255");

    EXPECT_EQ(decide(mail("Invoice to win", "")), "trust: Trusted word/expression in subject - invoice")
        << "white words first";
    EXPECT_EQ(decide(mail("A winter offer", "your invoice")), "block: Blocked word/expression in subject - win")
        << "a black subject word beats a white body word; words match inside longer words";
    EXPECT_EQ(decide(mail("Hello", "Your INVOICE")), "trust: Trusted word/expression in e-mail body - invoice")
        << "a plain-text body is searched as its HTML rendering, without regard to case";
    EXPECT_EQ(decide(mail("Hello", "<p>Special <b>OFFER</b></p>", "192.0.2.1", {}, "text/html")),
        "block: Blocked word/expression in e-mail body - offer");
    EXPECT_EQ(decide(mail("Hello", "see attached", "192.0.2.1", {"readme", "Report.PDF", "tool.exe"})),
        "trust: Trusted attachment type - .pdf")
        << "the second attachment decides when the first matches nothing; extensions ignore case";
    EXPECT_EQ(
        decide(mail("Hello", "", "192.0.2.1", {"setup.EXE", "Report.pdf"})), "block: Blocked attachment type - .exe")
        << "the first attachment that matches decides";
    EXPECT_EQ(decide(mail("Hello", "", "10.1.0.9")), "trust: Trusted IP address - 10.1.0.9")
        << "a white range beats a black one holding the same address";
    EXPECT_EQ(decide(mail("Hello", "", "10.2.0.9")), "block: Blocked IP address - 10.2.0.9");
    EXPECT_EQ(decide(mail("Hello", "", "192.0.2.1")), "none");
    EXPECT_EQ(statistics().quarantined.size(), 1u) << "only the undecided e-mail is counted now";
}

TEST_F(SecondStageTest, AFileTypeMatchesANameWithoutADotByTheWholeName)
{
    add(ListKind::FileType, false, "readme");
    EXPECT_EQ(decide(mail("Hello", "", "192.0.2.1", {"README"})), "block: Blocked attachment type - .readme");
}

TEST_F(SecondStageTest, WithoutTransportHeadersOrASenderIpNoOriginRuleDecides)
{
    add(ListKind::IpRange, false, "0.0.0.0", "255.255.255.255");
    EXPECT_EQ(decide("From: a@b.example\nSubject: no headers\n\nbody\n"), "none");
    EXPECT_EQ(decide("Received: from nowhere by mx\nFrom: a@b.example\nSubject: x\n\nbody\n"), "none");
    EXPECT_EQ(decide(mail("Hello", "", "192.0.2.1")), "block: Blocked IP address - 192.0.2.1");
}

TEST_F(SecondStageTest, TheSecondStageWritesItsLogLineAndAnswersFalseForNoMailItem)
{
    PassContext context = state.passContext(*application, log, clock);
    EXPECT_FALSE(AnalizeQuarantinedMail(context, nullptr));
    EXPECT_THAT(logLines(), ElementsAre("      Entering AnalizeQuarantinedMail - 11:0:0.0"));
    log.setEnabled(false);
    EXPECT_FALSE(AnalizeQuarantinedMail(context, nullptr));
    EXPECT_EQ(logLines().size(), 1u) << "nothing is written while logging is off";
}

TEST_F(SecondStageTest, TheCountryRuleIsNotConsultedWhileCountryFilteringIsOff)
{
    add(ListKind::Country, false, "Germany");
    state.settings.useCountry = false;
    EXPECT_EQ(decide(mail("Hello", "", "81.0.0.7")), "none");
    state.settings.useCountry = true; // without a lookup the country stays unknown
    EXPECT_EQ(decide(mail("Hello", "", "81.0.0.7")), "none");
}

} // namespace
} // namespace kvn
