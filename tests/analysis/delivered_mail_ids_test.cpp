// DeliveredMailIds answers contains() as comparing with each recorded ID
// ignoring case would, through appends and clears, in the order recorded.
#include "analysis/delivered_mail_ids.h"
#include "platform/core/utf8_text.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

namespace kvn {
namespace {

bool scanFinds(const DeliveredMailIds& delivered, std::string_view id)
{
    return std::any_of(delivered.ids().begin(), delivered.ids().end(),
        [&](const std::string& recorded) { return equalsIgnoringCase(recorded, id); });
}

TEST(DeliveredMailIdsTest, ContainsAnswersAsTheScanThroughAppendsAndClears)
{
    // Entry IDs are hex in either case; some stores' IDs carry other text.
    const char* const pieces[] = {"0", "9", "a", "A", "f", "F", "\u00E9", "\u00C9", "\u212A", "k", "\xC3", "\xFF"};
    std::mt19937 random(8);
    const auto randomId = [&] {
        std::string id;
        for (auto n = 1 + random() % 3; n > 0; --n)
            id += pieces[random() % std::size(pieces)];
        return id;
    };
    DeliveredMailIds delivered;
    std::vector<std::string> appended;
    int found = 0;
    for (int step = 0; step < 3000; ++step) {
        if (step % 700 == 699) {
            delivered.clear();
            appended.clear();
        }
        std::string id = randomId();
        appended.push_back(id);
        delivered.append(std::move(id));
        for (int probe = 0; probe < 5; ++probe) {
            const std::string asked = randomId();
            found += delivered.contains(asked) ? 1 : 0;
            ASSERT_EQ(delivered.contains(asked), scanFinds(delivered, asked)) << "step " << step << ": " << asked;
        }
        ASSERT_EQ(delivered.ids(), appended);
    }
    EXPECT_GT(found, 100);
}

TEST(DeliveredMailIdsTest, CaseOfTheIdDoesNotMatterAndClearForgets)
{
    DeliveredMailIds delivered;
    delivered.append("00000000ABCDEF01");
    EXPECT_TRUE(delivered.contains("00000000abcdef01"));
    EXPECT_FALSE(delivered.contains("00000000ABCDEF0"));
    // Long IDs, ASCII or not, are looked up the same way.
    const std::string longId = std::string(200, 'Q') + "\u00C9";
    delivered.append(longId);
    EXPECT_TRUE(delivered.contains(std::string(200, 'q') + "\u00E9"));
    EXPECT_FALSE(delivered.contains(std::string(200, 'q')));
    delivered.append(std::string(129, 'Z'));
    EXPECT_TRUE(delivered.contains(std::string(129, 'z')));
    delivered.clear();
    EXPECT_FALSE(delivered.contains("00000000ABCDEF01"));
    EXPECT_TRUE(delivered.ids().empty());
}

} // namespace
} // namespace kvn
