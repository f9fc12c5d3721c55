// Reading and rewriting the flag part of Maildir file names.
#include "platform/outlook/maildir_flags.h"

#include <algorithm>

namespace kvn::outlook {
namespace {

constexpr std::string_view infoMarker = ":2,";

std::string curName(std::string_view fileName, std::string flags)
{
    std::sort(flags.begin(), flags.end());
    flags.erase(std::unique(flags.begin(), flags.end()), flags.end());
    return std::string(uniqueNameOf(fileName)) + std::string(infoMarker) + flags;
}

} // namespace

std::string_view uniqueNameOf(std::string_view fileName) { return fileName.substr(0, fileName.find(':')); }

std::string_view flagsOf(std::string_view fileName)
{
    auto colon = fileName.find(':');
    if (colon == std::string_view::npos || fileName.substr(colon, infoMarker.size()) != infoMarker)
        return {};
    return fileName.substr(colon + infoMarker.size());
}

bool isSeen(std::string_view fileName) { return flagsOf(fileName).find('S') != std::string_view::npos; }

std::string nameWithSeen(std::string_view fileName, bool seen)
{
    std::string flags(flagsOf(fileName));
    flags.erase(std::remove(flags.begin(), flags.end(), 'S'), flags.end());
    if (seen)
        flags += 'S';
    return curName(fileName, std::move(flags));
}

std::string curNameOf(std::string_view fileName) { return curName(fileName, std::string(flagsOf(fileName))); }

} // namespace kvn::outlook
