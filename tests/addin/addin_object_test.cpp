// The add-in object in-process: what sending an e-mail does to real lists,
// the connection failure a host without Application gets, and the methods
// that do nothing.
#include "addin/addin_object.h"
#include "addin/recipient_trust.h"
#include "lists/list_kind.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kvn::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class FixedClock final : public Clock {
public:
    double nowOleDate() const override { return 45366.5; }
    std::tm nowLocal() const override
    {
        std::tm local{};
        local.tm_year = 2024 - 1900;
        local.tm_mon = 2;
        local.tm_mday = 15;
        local.tm_hour = 12;
        return local;
    }
};

struct Trusting : ::testing::Test {
    void list(bool white, ListKind kind, const std::string& value, const std::string& extra = "")
    {
        ListEntry entry(listKindCode(kind), value, extra, 0, "2024.01.01", "");
        entry.isWhite = white;
        if (kind == ListKind::Address)
            insertAddressEntry(lists, white, entry);
        else
            lists.sequence(kind, white).push_back(entry);
    }
    std::vector<std::string> whiteAddresses() const
    {
        std::vector<std::string> found;
        for (const ListEntry& entry : lists.sequence(ListKind::Address, true))
            found.push_back(entry.value + " <" + entry.extra + "> " + entry.dateAdded);
        return found;
    }
    FilterLists lists;
    std::mutex lock;
    FixedClock clock;
};

TEST_F(Trusting, NewRecipientsAreTrustedInSortedPlaceAndKnownOnesAreLeftAlone)
{
    list(true, ListKind::Address, "Middle", "mary@example.org");
    list(false, ListKind::Address, "Spammer", "spam@bad.example");
    list(true, ListKind::Domain, "family.example");
    list(false, ListKind::Domain, "blocked.example");

    const int added = trustRecipients(lists, lock,
        {{"Zed", "Zed@Example.org"}, {"Spammer", "spam@bad.example"}, {"Aunt", "aunt@family.example"},
            {"Blocked", "x@blocked.example"}, {"Adam", "adam@example.org"}, {"Mary", "MARY@example.org"},
            {"Nobody", ""}},
        clock);

    EXPECT_EQ(added, 2);
    EXPECT_THAT(whiteAddresses(),
        ElementsAre("Adam <adam@example.org> 2024.03.15", "Middle <mary@example.org> 2024.01.01",
            "Zed <zed@example.org> 2024.03.15"));
    // The blocked address stays blocked and is not trusted as well.
    EXPECT_EQ(lists.sequence(ListKind::Address, false).size(), 1u);
    const ListEntry probe(listKindCode(ListKind::Address), "", "zed@example.org", 0, "", "");
    EXPECT_EQ(lists.findAddress(probe, true).result, LookupResult::InAskedList);
    EXPECT_TRUE(lock.try_lock()); // never left held
    lock.unlock();
}

TEST(AddinObject, ConnectionWithoutTheApplicationShowsError001AndOtherCallsAreNotImplemented)
{
    const com::ComPtr<Addin> addin = com::makeObject<Addin>();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(addin->OnConnection(nullptr, com::ext_cm_Startup, nullptr, nullptr), com::S_FALSE);
    const std::string shown = ::testing::internal::GetCapturedStderr();
    EXPECT_THAT(shown, HasSubstr("Error 001"));
    EXPECT_THAT(shown, HasSubstr("An error occured while starting Korvane"));
    EXPECT_EQ(addin->IsIdle(), com::S_OK);
    EXPECT_EQ(addin->OnStartupComplete(nullptr), com::E_NOTIMPL);
    EXPECT_EQ(addin->OnBeginShutdown(nullptr), com::E_NOTIMPL);
    EXPECT_EQ(addin->OnAddInsUpdate(nullptr), com::E_NOTIMPL);
    EXPECT_EQ(addin->OnDisconnection(com::ext_dm_HostShutdown, nullptr), com::S_OK);
}

} // namespace
} // namespace kvn::testing
