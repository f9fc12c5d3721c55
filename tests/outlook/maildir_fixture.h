// Real Maildir++ folders in a temporary folder for the mail-store tests:
// messages with chosen unique names, flags and received times.
#pragma once

#include "platform/core/ole_date.h"
#include "platform/outlook/maildir_store.h"
#include "tests/support/local_time.h"
#include "tests/support/temp_folder.h"

#include <sys/stat.h>
#include <sys/time.h>

#include <ctime>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace kvn::testing {

inline void makeMaildir(const std::string& dir)
{
    for (const char* sub : {"", "/cur", "/new", "/tmp"})
        std::filesystem::create_directories(dir + sub);
}

// A local time as seconds since 1970.
inline std::int64_t localSeconds(int year, int month, int day, int hour, int minute, int second = 0)
{
    std::tm local = localTime(year, month, day, hour, minute, second);
    return std::mktime(&local);
}

inline std::string messageText(const std::string& subject, const std::string& from = "Ann <ann@example.org>")
{
    return "From: " + from + "\r\nTo: Bob <bob@example.net>\r\nSubject: " + subject
        + "\r\nReceived: from relay ([192.0.2.7]) by mx\r\n\r\nHello.\r\n";
}

// Writes dir/subdir/fileName with the given mtime (seconds since 1970).
inline std::string putMessage(const std::string& dir, const std::string& subdir, const std::string& fileName,
    std::int64_t mtime, const std::string& text)
{
    std::string path = dir + "/" + subdir + "/" + fileName;
    writeWholeFile(path, text);
    struct timeval times[2] = {{static_cast<time_t>(mtime), 0}, {static_cast<time_t>(mtime), 0}};
    utimes(path.c_str(), times);
    return path;
}

// The file names in dir/cur and dir/new, as "cur/NAME" and "new/NAME".
inline std::set<std::string> messageFiles(const std::string& dir)
{
    std::set<std::string> names;
    for (const char* sub : {"cur", "new"}) {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(dir + "/" + sub, error))
            names.insert(std::string(sub) + "/" + entry.path().filename().string());
    }
    return names;
}

inline outlook::StoreConfig storeAt(const std::string& root, const std::string& name = "Personal Folders")
{
    outlook::StoreConfig config;
    config.displayName = name;
    config.root = root;
    return config;
}

// The names of a folder collection, in its order.
inline std::vector<std::string> folderNames(const outlook::FoldersPtr& folders)
{
    std::vector<std::string> names;
    for (auto folder = folders->getFirst(); folder; folder = folders->getNext())
        names.push_back(folder->name());
    return names;
}

} // namespace kvn::testing
