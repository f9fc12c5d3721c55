// kvnctl country IP: the country the IP-to-country database gives for an
// address, for people checking their country rules.
#include "analysis/ip2c_lookup.h"
#include "lists/settings.h"
#include "platform/odbc/odbc.h"
#include "tools/kvnctl/command.h"

#include <charconv>
#include <filesystem>
#include <optional>

namespace kvn::kvnctl {
namespace {

// "a.b.c.d" with each part 0..255, as the lookup's number.
std::optional<std::uint32_t> dottedAddress(std::string_view text)
{
    std::uint32_t value = 0;
    for (int part = 0; part < 4; ++part) {
        unsigned number = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        const std::size_t used = static_cast<std::size_t>(end - text.data());
        if (error != std::errc() || used == 0 || used > 3 || number > 255)
            return std::nullopt;
        value = value * 256 + number;
        text.remove_prefix(used);
        if (part < 3) {
            if (text.empty() || text.front() != '.')
                return std::nullopt;
            text.remove_prefix(1);
        }
    }
    return text.empty() ? std::optional<std::uint32_t>(value) : std::nullopt;
}

} // namespace

int runCountryCommand(CommandContext& context)
{
    auto printer = context.takePrinter();
    const std::string text = context.arguments.takeWord("IP (a.b.c.d)");
    context.arguments.expectNoMore();
    const std::optional<std::uint32_t> ip = dottedAddress(text);
    if (!ip)
        throw UsageError("not an IPv4 address: " + text);

    const std::string installDir = context.installDir();
    const std::string database = ip2cDatabasePath(installDir);
    if (!std::filesystem::is_regular_file(database))
        return context.fail("no IP-to-country database at " + database + " (build it with ip2c-build)");
    ConsoleUi ui;
    Ip2cLookup lookup(odbc::realOdbc(), ui, installDir, profileSubKey(context.options.profile));
    if (!lookup.ensureIp2cDsn(database))
        return context.fail("cannot register the ODBC data source \"MS Access Database\"");
    lookup.switchCountryFiltering(true);
    if (!lookup.isOpen())
        return context.fail("cannot open " + database + " through ODBC");
    bool queryFailed = false;
    const std::string country = lookup.countryOf(*ip, &queryFailed);
    if (queryFailed)
        return context.fail(database + " cannot be queried; rebuild it with ip2c-build");

    printer->beginMap();
    printer->field("ip", text);
    printer->field("value", static_cast<std::int64_t>(*ip));
    printer->field("country", country);
    printer->endMap();
    printer->finish();
    return exitSuccess;
}

} // namespace kvn::kvnctl
