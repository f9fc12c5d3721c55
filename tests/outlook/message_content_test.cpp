// Bodies and attachment names of the sample Maildir, and the text/HTML
// conversions used when a message has only one of the two bodies.
#include "platform/outlook/html_text.h"
#include "platform/outlook/message_file.h"
#include "tests/outlook/mail_test_data.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kvn::outlook {
namespace {

using testing::mailSample;
using Names = std::vector<std::string>;

MessageContent contentOf(const std::string& name)
{
    std::optional<MessageContent> content = readMessageContent(mailSample(name));
    EXPECT_TRUE(content.has_value()) << name;
    return content.value_or(MessageContent{});
}

TEST(MessageContent, AlternativeGivesBothBodiesInUtf8)
{
    const MessageContent content = contentOf("cur/1699870000.M102P2001.sample:2,");
    EXPECT_EQ(content.textBody, "La réunion est à 10h.");
    EXPECT_NE(content.htmlBody.find("<p>La réunion est <b>à 10h</b>.</p>"), std::string::npos);
    EXPECT_TRUE(content.attachmentNames.empty());
}

TEST(MessageContent, PlainTextIsRenderedAsEscapedHtml)
{
    const MessageContent content = contentOf("cur/1699863302.M101P2001.sample:2,S");
    EXPECT_NE(content.textBody.find("viele Grüße aus München & bis bald <3"), std::string::npos);
    EXPECT_NE(content.htmlBody.find("Hallo Anna,<br>\n<br>\nviele Grüße aus München &amp; bis bald &lt;3<br>"),
        std::string::npos);
    EXPECT_EQ(contentOf("cur/1699950000.M110P2001.sample:2,").textBody, "Hej från Göteborg!\r\n");
}

TEST(MessageContent, HtmlOnlyGivesItsTextAsBody)
{
    const MessageContent content = contentOf("new/1699900000.M105P2001.sample");
    EXPECT_NE(content.htmlBody.find("Nur heute 20€ Rabatt"), std::string::npos);
    EXPECT_EQ(content.textBody, "Angebot\nNur heute 20€ Rabatt – jetzt kaufen!");
}

TEST(MessageContent, AttachmentNamesDecodedInMessageOrder)
{
    EXPECT_EQ(contentOf("cur/1699880000.M103P2001.sample:2,S").attachmentNames, Names{"Résumé Clara.pdf"});
    const MessageContent continued = contentOf("cur/1699890000.M104P2001.sample:2,RS");
    EXPECT_EQ(continued.attachmentNames, (Names{"Übersicht der Kosten 2023.xls", "Archiv Ältere.zip"}));
    EXPECT_EQ(continued.textBody, "Die Unterlagen für \"Projekt\" & Co.");
}

TEST(MessageContent, InlineImagesCountAndRelatedHtmlIsTheBody)
{
    const MessageContent content = contentOf("cur/1699930000.M108P2001.sample:2,S");
    EXPECT_EQ(content.textBody, "See the photo.");
    EXPECT_NE(content.htmlBody.find("cid:photo1"), std::string::npos);
    EXPECT_EQ(content.attachmentNames, Names{"photo.png"});
}

TEST(MessageContent, AttachedMessageIsOneAttachmentNamedBySubject)
{
    const MessageContent content = contentOf("cur/1699940000.M109P2001.sample:2,S");
    EXPECT_EQ(content.attachmentNames, Names{"Lebenslauf.eml"});
    EXPECT_EQ(content.textBody, "Forwarding this.");
}

TEST(MessageContent, MissingFileGivesNoAnswer)
{
    EXPECT_FALSE(readMessageContent(mailSample("cur/no-such-message")).has_value());
}

void expectSameContent(const std::optional<MessageContent>& expected, const std::optional<MessageContent>& got)
{
    ASSERT_EQ(expected.has_value(), got.has_value());
    if (!expected)
        return;
    EXPECT_EQ(got->htmlBody, expected->htmlBody);
    EXPECT_EQ(got->textBody, expected->textBody);
    EXPECT_EQ(got->attachmentNames, expected->attachmentNames);
}

// The bodies read with the layout a header read found are those of a read
// from scratch, for ordinary and for broken mail.
TEST(MessageContent, TheLayoutOfTheHeaderReadGivesTheSameBodies)
{
    std::vector<std::string> paths;
    for (const std::string& folder : {mailSample("cur"), mailSample("new"), testing::brokenMailFolder()}) {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error))
            paths.push_back(entry.path().string());
    }
    ASSERT_GT(paths.size(), 20u);
    std::size_t withBody = 0;
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        BodyLayout layout;
        ASSERT_TRUE(readMessageHeaders(path, layout));
        const std::optional<MessageContent> expected = readMessageContent(path);
        withBody += expected && !expected->textBody.empty();
        expectSameContent(expected, readMessageContent(path, layout));
    }
    EXPECT_GT(withBody, 10u);
}

TEST(MessageContent, AFailedHeaderReadLeavesTheLayoutAlone)
{
    BodyLayout layout{"Content-Type: text/plain\n", true, 42};
    EXPECT_FALSE(readMessageHeaders(mailSample("cur/no-such-message"), layout));
    EXPECT_EQ(layout.bodyOffset, 42u);
    EXPECT_FALSE(readMessageContent(mailSample("cur/no-such-message"), layout));
}

TEST(HtmlText, PlainTextToHtmlEscapesAndBreaksLines)
{
    EXPECT_EQ(plainTextToHtml("a<b & \"c\"\r\nd\re\n"),
        "<html><body>a&lt;b &amp; &quot;c&quot;<br>\nd<br>\ne<br>\n</body></html>");
    EXPECT_EQ(plainTextToHtml(""), "<html><body></body></html>");
    EXPECT_EQ(plainTextToHtml(">>only text after"), "<html><body>&gt;&gt;only text after</body></html>");
    EXPECT_EQ(plainTextToHtml("\r"), "<html><body><br>\n</body></html>");
}

TEST(HtmlText, TextOfHtmlDropsMarkupAndDecodesEntities)
{
    EXPECT_EQ(htmlToPlainText("<html><head><title>T</title><style>x{}</style></head><body>"
                              "<p>One&nbsp;&amp;   two</p><!-- hidden --><SCRIPT>bad()</script>"
                              "<div>&#252;&#xE4; &bogus; &amp</div></body></html>"),
        "One & two\nüä &bogus; &amp");
    EXPECT_EQ(htmlToPlainText("a < b"), "a < b");
    EXPECT_EQ(htmlToPlainText("x<br>y<BR/>z<br><br>after a blank line"), "x\ny\nz\n\nafter a blank line");
    EXPECT_EQ(htmlToPlainText("&#0; &#x110000; &#99999999999;"), "\xEF\xBF\xBD \xEF\xBF\xBD &#99999999999;");
}

} // namespace
} // namespace kvn::outlook
