#include "platform/flash/news_file.h"

#include "platform/core/descriptor_io.h"
#include "platform/core/file_descriptor.h"
#include "platform/core/regular_file.h"

#include <fcntl.h>

namespace kvn {
namespace {

constexpr std::string_view datePrefix = "date:";

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isWellFormedDate(std::string_view date)
{
    if (date.size() != 10 || date[4] != '.' || date[7] != '.')
        return false;
    for (const std::size_t at : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!isDigit(date[at]))
            return false;
    const int month = (date[5] - '0') * 10 + (date[6] - '0');
    const int day = (date[8] - '0') * 10 + (date[9] - '0');
    return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

std::optional<std::string> dateOfLine(std::string_view line)
{
    if (line.substr(0, datePrefix.size()) != datePrefix)
        return std::nullopt;
    const std::string_view date = trimBlanks(line.substr(datePrefix.size()));
    if (!isWellFormedDate(date))
        return std::nullopt;
    return std::string(date);
}

} // namespace

NewsFile parseNewsFile(const std::string& bytes)
{
    const std::size_t lineEnd = bytes.find('\n');
    const std::string_view firstLine = std::string_view(bytes).substr(0, lineEnd);
    const std::optional<std::string> date = dateOfLine(firstLine);
    if (!date)
        return NewsFile{{}, bytes};
    return NewsFile{*date, lineEnd == std::string::npos ? std::string() : bytes.substr(lineEnd + 1)};
}

std::optional<NewsFile> readNewsFile(const std::string& path)
{
    struct stat info { };
    const OpenedRegularFile opened = openRegularFile(path, O_RDONLY, info);
    if (opened.fd < 0)
        return std::nullopt;
    FileDescriptor file(opened.fd);
    if (info.st_size > static_cast<off_t>(largestNewsFile))
        return std::nullopt;
    // One byte more than the limit tells a file that grew since fstat.
    std::optional<std::string> bytes = readAtMost(file.get(), largestNewsFile + 1);
    if (!bytes || bytes->size() > largestNewsFile)
        return std::nullopt;
    return parseNewsFile(*bytes);
}

bool isNewerThan(const std::string& date, const std::string& lastDate)
{
    return isWellFormedDate(date) && date > lastDate;
}

} // namespace kvn
