// Every input the mail fuzz targets keep (their seed corpora, which also
// hold each input that once failed) and every message of the broken corpus,
// run through the same checks as the fuzz targets, plus the hostile messages
// made on the spot at full size.
#include "fuzz/mail_fuzz_checks.h"
#include "tests/outlook/hostile_mail.h"
#include "tests/outlook/mail_test_data.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kvn::outlook {
namespace {

std::vector<std::string> filesIn(const std::string& folder)
{
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files.push_back(entry.path().string());
    return files;
}

std::string corpus(const std::string& target) { return std::string(KVN_FUZZ_CORPUS_DIR) + "/" + target; }

TEST(FuzzInputs, HeaderScanInputsPass)
{
    std::vector<std::string> files = filesIn(corpus("header_scan"));
    const std::vector<std::string> broken = filesIn(testing::brokenMailFolder());
    files.insert(files.end(), broken.begin(), broken.end());
    ASSERT_GE(files.size(), 20u);
    for (const std::string& file : files) {
        const std::string grown = fuzz::grownInput(testing::readWholeFile(file));
        EXPECT_EQ(fuzz::checkHeaderScan(grown, 7), "") << file;
        // The whole message too, crowds of recipients decoded.
        EXPECT_EQ(fuzz::checkMessage(grown), "") << file;
    }
}

TEST(FuzzInputs, GrownInputsReachTheProductionCaps)
{
    const std::string junk = fuzz::grownInput(testing::readWholeFile(corpus("header_scan") + "/grow-junk-line.eml"));
    EXPECT_GT(junk.size(), 3u * 1000 * 1000);
    EXPECT_TRUE(detail::scanHeaders(junk).cuts.transportHeaders);
    const std::string subject = fuzz::grownInput(testing::readWholeFile(corpus("header_scan") + "/grow-subject.eml"));
    EXPECT_TRUE(detail::scanHeaders(subject).cuts.subject);
}

TEST(FuzzInputs, HostileMessagesPassTheHeaderScanChecks)
{
    for (const std::string& message : {testing::junkFirstHeaderMessage(), testing::endlessFoldMessage(5 * 1000 * 1000),
             testing::hugeSubjectMessage(), testing::manyRecipientsMessage(20000)})
        EXPECT_EQ(fuzz::checkHeaderScan(message, 11), "") << message.substr(0, 40);
}

TEST(FuzzInputs, MessageInputsPass)
{
    std::vector<std::string> files = filesIn(corpus("message_parse"));
    const std::vector<std::string> broken = filesIn(testing::brokenMailFolder());
    files.insert(files.end(), broken.begin(), broken.end());
    for (const std::string& file : files)
        EXPECT_EQ(fuzz::checkMessage(testing::readWholeFile(file)), "") << file;
}

TEST(FuzzInputs, VCardInputsPass)
{
    const std::vector<std::string> files = filesIn(corpus("vcard"));
    ASSERT_GE(files.size(), 3u);
    for (const std::string& file : files)
        EXPECT_EQ(fuzz::checkVCards(testing::readWholeFile(file)), "") << file;
}

} // namespace
} // namespace kvn::outlook
