// kvnctl sender-ip and filter-date: the header scan and the filter date, for
// people checking what the filter will make of an e-mail.
#include "analysis/filter_date.h"
#include "analysis/sender_ip.h"
#include "tools/kvnctl/command.h"

#include "platform/core/ole_date.h"
#include "platform/core/regular_file.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <iostream>
#include <sstream>

namespace kvn::kvnctl {
namespace {

// The header block of a message: everything before the first empty line.
std::string headerBlockOf(std::istream& message)
{
    std::string block;
    std::string line;
    while (std::getline(message, line)) {
        if (line.empty() || line == "\r")
            break;
        block += line;
        block += '\n';
    }
    return block;
}

// What a path names when it is not a file to read a message from; empty for
// a regular file (or one that is not there, which opening reports).
std::string whatIsNotAFile(const std::string& path)
{
    struct stat info { };
    if (::stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode))
        return {};
    return fileKindName(info.st_mode);
}

} // namespace

int runSenderIpCommand(CommandContext& context)
{
    const std::string path = context.arguments.takeWord("FILE (or - for standard input)");
    context.arguments.expectNoMore();
    std::string headers;
    if (path == "-") {
        headers = headerBlockOf(std::cin);
    } else {
        // A folder would read as an empty message, and a FIFO would block.
        if (const std::string what = whatIsNotAFile(path); !what.empty())
            return context.fail("cannot read " + path + ": it is " + what + ", not a message file");
        std::ifstream file(path, std::ios::binary);
        if (!file)
            return context.fail("cannot read " + path);
        headers = headerBlockOf(file);
    }
    context.out << extractSenderIp(headers) << '\n';
    return exitSuccess;
}

int runFilterDateCommand(CommandContext& context)
{
    const std::string text = context.arguments.takeWord("OLEDATE");
    context.arguments.expectNoMore();
    double date = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), date);
    if (error != std::errc() || end != text.data() + text.size())
        throw UsageError("not a number: " + text);
    // "nan" and "inf" read as numbers; neither they nor numbers outside the
    // years 100..9999 are a date.
    if (!std::isfinite(date) || !localFromOleDate(date))
        throw UsageError("no date has the number " + text + " (OLE dates run from -657434 to 2958465)");
    context.out << formatFilterDate(date) << '\n';
    return exitSuccess;
}

} // namespace kvn::kvnctl
