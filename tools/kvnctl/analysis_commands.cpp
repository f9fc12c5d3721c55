// kvnctl sender-ip and filter-date: the header scan and the filter date, for
// people checking what the filter will make of an e-mail.
#include "analysis/filter_date.h"
#include "analysis/sender_ip.h"
#include "tools/kvnctl/command.h"

#include <charconv>
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

} // namespace

int runSenderIpCommand(CommandContext& context)
{
    const std::string path = context.arguments.takeWord("FILE (or - for standard input)");
    context.arguments.expectNoMore();
    std::string headers;
    if (path == "-") {
        headers = headerBlockOf(std::cin);
    } else {
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
    context.out << formatFilterDate(date) << '\n';
    return exitSuccess;
}

} // namespace kvn::kvnctl
