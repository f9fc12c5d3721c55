// A profile in a temporary installation folder, with a clock standing at
// 2024-03-15 12:00 local time, for the tests of the profile's data files.
#pragma once

#include "lists/profile_data.h"
#include "platform/core/ole_date.h"
#include "tests/support/temp_folder.h"

#include <filesystem>
#include <string>

namespace kvn::testing {

inline double oleDateOf(int year, int month, int day, int hour = 0)
{
    std::tm local{};
    local.tm_year = year - 1900, local.tm_mon = month - 1, local.tm_mday = day, local.tm_hour = hour;
    return oleDateFromLocal(local);
}

inline ListEntry listEntry(ListKind kind, std::string value, std::string extra)
{
    return ListEntry(listKindCode(kind), std::move(value), std::move(extra), 1, "2024.03.01", "");
}

// Some of every kind in both lists, the Address and Domain sequences unsorted.
inline void fillSample(ProfileData& data)
{
    FilterLists& lists = data.lists();
    for (const char* address : {"zed@a.org", "amy@b.org", "bob@c.org", "al@d.org"})
        insertAddressEntry(lists, true, listEntry(ListKind::Address, "Friend", address));
    for (const char* address : {"spam@x.biz", "junk@y.biz"})
        insertAddressEntry(lists, false, listEntry(ListKind::Address, "", address));
    lists.sequence(ListKind::Domain, true).push_back(listEntry(ListKind::Domain, "work.org", "w"));
    lists.sequence(ListKind::Domain, true).push_back(listEntry(ListKind::Domain, "home.org", "h"));
    lists.sequence(ListKind::Word, false).push_back(listEntry(ListKind::Word, "viagra", ""));
    lists.sequence(ListKind::FileType, false).push_back(listEntry(ListKind::FileType, "exe", ""));
    lists.sequence(ListKind::IpRange, false).push_back(listEntry(ListKind::IpRange, "10.0.0.0", "10.0.0.255"));
    lists.sequence(ListKind::Country, true).push_back(listEntry(ListKind::Country, "Narnia", ""));
    data.ownAddresses() = {{"me@home.org", "cal-1"}, {"me@work.org", ""}};
    data.quarantineDecisions() = {{"00000000ABCDEF", 3, "Blocked word/expression in subject - viagra", false}};
    data.statistics().addStatRecord(0, 1, "Blocked e-mail - spam@x.biz", "");
    data.statistics().addStatRecord(2, 2, "Trusted domain - work.org", "");
    data.statistics().counters[13] = 5;
}

class ProfileFixture {
public:
    ProfileFixture() { std::filesystem::create_directory(installDir()); }

    std::string installDir() const { return temp / "install"; }
    std::string dataFolder() const { return installDir() + "/Default"; }
    std::string filePath(DataFile file) const { return dataFolder() + "/" + dataFileName(file); }
    ProfileData makeData(FileSystem& files = realFileSystem()) const
    {
        return ProfileData(installDir(), "Default", files, clock);
    }

    TempFolder temp;
    SettableClock clock{oleDateOf(2024, 3, 15, 12)};
};

} // namespace kvn::testing
