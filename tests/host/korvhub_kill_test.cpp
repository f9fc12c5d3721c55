// The host stopped by SIGTERM at random moments while Korvhub filters: at
// connection, during the start-up run, inside a pass, while saving. Whatever
// the moment, every e-mail is in exactly one place, no half-written file is
// left in a Maildir or in the profile's data folder, and the lists read back
// whole. $KVN_KILL_ROUNDS sets the number of rounds (scripts/kill-campaign).
#include "tests/host/korvhub_fixture.h"

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <map>
#include <random>

namespace kvn::testing {
namespace {

using ::testing::HasSubstr;

int killRounds()
{
    const char* rounds = std::getenv("KVN_KILL_ROUNDS");
    return rounds ? std::max(1, std::atoi(rounds)) : 10;
}

class KorvhubKillTest : public KorvhubEndToEnd {
protected:
    // How many files of each e-mail there are anywhere in the Maildir, and
    // whether a file is left in some tmp/.
    std::map<std::string, int> copies(bool& leftInTmp) const
    {
        std::map<std::string, int> found;
        leftInTmp = false;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(inbox())) {
            if (!entry.is_regular_file())
                continue;
            const std::string subdir = entry.path().parent_path().filename().string();
            if (subdir == "tmp")
                leftInTmp = true;
            if (subdir == "cur" || subdir == "new") {
                const std::string name = entry.path().filename().string();
                ++found[name.substr(0, name.find(':'))];
            }
        }
        return found;
    }

    // Names in the data folder that a torn or interrupted save would leave.
    std::vector<std::string> leftoversInDataFolder() const
    {
        std::vector<std::string> left;
        for (const auto& entry : std::filesystem::directory_iterator(installDir() + "/Default")) {
            const std::string name = entry.path().filename().string();
            if (name.find(".tmp.") != std::string::npos || name.find(".damaged") != std::string::npos)
                left.push_back(name);
        }
        return left;
    }
};

TEST_F(KorvhubKillTest, SigtermAtRandomMomentsLosesDuplicatesAndTearsNothing)
{
    prepare();
    std::mt19937 random(20261209);
    const char* senders[]
        = {"Friend <friend@example.org>", "Spammer <spammer@bad.example>", "Someone <x@unknown.example>"};
    std::vector<std::string> delivered;
    for (int round = 0, rounds = killRounds(); round < rounds; ++round) {
        // Some mail waits when the host starts, some arrives while it runs.
        const auto host = startHost();
        for (int i = 0; i < 6; ++i) {
            const std::string unique = std::to_string(1000 + round) + "." + std::to_string(i) + ".kill";
            arrive(unique, senders[(round + i) % 3]);
            delivered.push_back(unique);
            std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution<int>(0, 60)(random)));
        }
        const int delay = std::uniform_int_distribution<int>(0, 600)(random);
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        host->signal(SIGTERM);
        const int status = host->wait();
        // Killed before it could catch the signal, the host did nothing at all.
        EXPECT_TRUE(status == 0 || status == 128 + SIGTERM) << "round " << round << ": " << host->errorOutput();

        bool leftInTmp = false;
        const std::map<std::string, int> found = copies(leftInTmp);
        EXPECT_FALSE(leftInTmp) << "round " << round;
        int filtered = 0;
        for (const std::string& unique : delivered) {
            const auto copy = found.find(unique);
            EXPECT_TRUE(copy != found.end() && copy->second == 1) << unique << " lost or doubled, round " << round;
            filtered += whereIs(unique) != "" ? 1 : 0;
        }
        EXPECT_EQ(found.size(), delivered.size()) << "round " << round;
        EXPECT_TRUE(leftoversInDataFolder().empty()) << "round " << round;
        const std::string lists = listsShown();
        EXPECT_THAT(lists, HasSubstr("friend@example.org")) << "round " << round;
        EXPECT_THAT(lists, HasSubstr("spammer@bad.example")) << "round " << round;
        std::cout << "kill round " << round << ": SIGTERM " << delay << " ms after the last delivery, status " << status
                  << ", " << filtered << " of " << delivered.size() << " e-mails out of the Inbox\n";
    }
}

} // namespace
} // namespace kvn::testing
