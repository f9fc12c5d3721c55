// Contacts from vCard text and from a folder of .vcf files.
#include "platform/outlook/vcard.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

namespace kvn::outlook {
namespace {

using Emails = std::vector<std::string>;

TEST(VCard, Version3WithFoldingEscapesGroupsAndParameters)
{
    const std::vector<ContactCard> cards = parseVCards("BEGIN:VCARD\r\n"
                                                       "VERSION:3.0\r\n"
                                                       "N:M\\;ller;J\\,rg;;;\r\n"
                                                       "FN:J\xC3\xB6rg M\xC3\xBCller\\, Dr.\r\n"
                                                       "EMAIL;TYPE=INTERNET;TYPE=WORK:joerg@\r\n"
                                                       " example.net\r\n"
                                                       "item1.EMAIL;type=INTERNET:private@example.org\r\n"
                                                       "item1.X-ABLabel:home\r\n"
                                                       "email:third@example.com\r\n"
                                                       "END:VCARD\r\n");
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].displayName, "Jörg Müller, Dr.");
    EXPECT_EQ(cards[0].emails, (Emails{"joerg@example.net", "private@example.org", "third@example.com"}));
}

TEST(VCard, Version4SeveralCardsAndQuotedParameters)
{
    const std::vector<ContactCard> cards
        = parseVCards("BEGIN:VCARD\n"
                      "VERSION:4.0\n"
                      "FN:Anna\n"
                      "EMAIL;PREF=1;TYPE=\"work,voice\";LABEL=\"a:b\":mailto:anna@example.com\n"
                      "END:VCARD\n"
                      "junk between cards\n"
                      "begin:vcard\n"
                      "version:4.0\n"
                      "fn:Tab\n"
                      "\tFolded\n"
                      "NOTE:line\\nbreak\n"
                      "end:vcard\n");
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[0].emails, Emails{"anna@example.com"});
    EXPECT_EQ(cards[1].displayName, "TabFolded");
    EXPECT_TRUE(cards[1].emails.empty());
}

TEST(VCard, CardWithoutEndAndTextWithoutCards)
{
    const std::vector<ContactCard> unterminated = parseVCards("BEGIN:VCARD\nFN:Cut\nEMAIL:cut@example.com");
    ASSERT_EQ(unterminated.size(), 1u);
    EXPECT_EQ(unterminated[0].emails, Emails{"cut@example.com"});
    // A BEGIN inside an open card starts the next card.
    EXPECT_EQ(parseVCards("BEGIN:VCARD\nFN:A\nBEGIN:VCARD\nFN:B\nEND:VCARD\n").size(), 2u);
    EXPECT_TRUE(parseVCards("FN:Outside\nEMAIL:outside@example.com\n").empty());
    EXPECT_TRUE(parseVCards("").empty());
}

TEST(VCard, ContactsFolderReadsEveryVcfFileInNameOrder)
{
    testing::TempFolder folder;
    testing::writeWholeFile(folder / "b.vcf", "BEGIN:VCARD\nFN:Second\nEMAIL:b@example.com\nEND:VCARD\n");
    testing::writeWholeFile(
        folder / "a.VCF", "BEGIN:VCARD\nFN:First\nEND:VCARD\nBEGIN:VCARD\nFN:Also first\nEND:VCARD\n");
    testing::writeWholeFile(folder / "notes.txt", "BEGIN:VCARD\nFN:Not a contact file\nEND:VCARD\n");
    const std::vector<ContactCard> cards = readContactsFolder(folder.path());
    ASSERT_EQ(cards.size(), 3u);
    EXPECT_EQ(cards[0].displayName, "First");
    EXPECT_EQ(cards[1].displayName, "Also first");
    EXPECT_EQ(cards[2].emails, Emails{"b@example.com"});
    EXPECT_TRUE(readContactsFolder(folder / "missing").empty());
}

} // namespace
} // namespace kvn::outlook
