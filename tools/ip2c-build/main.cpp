// ip2c-build: builds the IP-to-country database IP2C.mdb from Debian's GeoIP
// country data or from a CSV file of IP ranges.
#include "platform/core/diagnostics.h"
#include "platform/core/xdg_paths.h"
#include "tools/ip2c-build/csv_source.h"
#include "tools/ip2c-build/database_writer.h"
#include "tools/ip2c-build/geoip_source.h"

#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace {

using namespace kvn::ip2c;

constexpr const char* usage = "Usage: ip2c-build [--geoip[=FILE] | --csv FILE [--format auto|classic|ranges]]\n"
                              "                  [--output FILE] [--quiet]\n"
                              "Builds the IP-to-country database. By default it reads " //
                              "/usr/share/GeoIP/GeoIP.dat and\n"
                              "writes IP2C.mdb in the installation folder (~/.local/share/korvane).\n"
                              "CSV layouts: classic  ip_from,ip_to,code2,code3,country name\n"
                              "             ranges   first address,last address,code\n";

struct Options {
    std::string geoipFile = defaultGeoipFile;
    std::string csvFile; // set: read the CSV instead of GeoIP data
    CsvLayout layout = CsvLayout::Detect;
    std::string output = kvn::defaultInstallDir() + "/IP2C.mdb";
    bool quiet = false;
};

int usageError(const std::string& why)
{
    std::cerr << "ip2c-build: " << why << "\n" << usage;
    return 2;
}

// The option's value: after "=", or the next argument.
std::optional<std::string> valueOf(std::string_view argument, std::string_view name, int& index, int count, char** argv)
{
    if (argument.size() > name.size() && argument[name.size()] == '=')
        return std::string(argument.substr(name.size() + 1));
    if (index + 1 < count)
        return std::string(argv[++index]);
    return std::nullopt;
}

bool hasName(std::string_view argument, std::string_view name)
{
    return argument == name || (argument.starts_with(name) && argument[name.size()] == '=');
}

std::variant<Options, int> parseOptions(int count, char** argv)
{
    Options options;
    for (int i = 1; i < count; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::cout << usage;
            return 0;
        }
        if (argument == "--quiet" || argument == "-q") {
            options.quiet = true;
        } else if (argument == "--geoip") {
            options.csvFile.clear();
        } else if (argument.starts_with("--geoip=")) {
            options.csvFile.clear();
            options.geoipFile = std::string(argument.substr(8));
        } else if (hasName(argument, "--csv")) {
            const auto value = valueOf(argument, "--csv", i, count, argv);
            if (!value || value->empty())
                return usageError("--csv needs a file");
            options.csvFile = *value;
        } else if (hasName(argument, "--format")) {
            const auto value = valueOf(argument, "--format", i, count, argv);
            const auto layout = value ? csvLayoutNamed(*value) : std::nullopt;
            if (!layout)
                return usageError("--format takes auto, classic or ranges");
            options.layout = *layout;
        } else if (hasName(argument, "--output") || argument == "-o") {
            const auto value = valueOf(argument, argument == "-o" ? "-o" : "--output", i, count, argv);
            if (!value || value->empty())
                return usageError("--output needs a file");
            options.output = *value;
        } else {
            return usageError("unknown argument \"" + std::string(argument) + "\"");
        }
    }
    return options;
}

int fail(const std::string& why)
{
    std::cerr << "ip2c-build: " << why << "\n";
    return 1;
}

// The output's folder, created (private to the user) when missing.
bool ensureOutputFolder(const std::string& output)
{
    const std::filesystem::path folder = std::filesystem::path(output).parent_path();
    if (folder.empty())
        return true;
    std::error_code error;
    if (std::filesystem::create_directories(folder, error))
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, error);
    return std::filesystem::is_directory(folder);
}

int build(const Options& options)
{
    const Progress progress = [&](const std::string& text) {
        if (!options.quiet)
            std::cerr << "ip2c-build: " << text << "\n";
    };
    IpRanges ranges;
    std::string source;
    std::string inputName;
    if (options.csvFile.empty()) {
        GeoipRanges read = readGeoipRanges(options.geoipFile, progress);
        if (!read.status.ok())
            return fail(read.status.error());
        ranges = std::move(read.ranges);
        source = "geoip";
        inputName = options.geoipFile;
    } else {
        CsvRanges read = readCsvFile(options.csvFile, options.layout, progress);
        if (!read.status.ok())
            return fail(read.status.error());
        if (read.skippedRows > 0)
            progress("skipped " + std::to_string(read.skippedRows) + " IPv6 or unassigned rows");
        ranges = std::move(read.ranges);
        source = "csv";
        inputName = options.csvFile;
    }
    if (!ensureOutputFolder(options.output))
        return fail("cannot create the folder of " + options.output);
    const std::size_t count = ranges.size();
    const kvn::Status written = writeIp2cDatabase(options.output, std::move(ranges), source, inputName, progress);
    if (!written.ok())
        return fail(written.error());
    progress("wrote " + std::to_string(count) + " ranges to " + options.output);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    kvn::setProgramName("ip2c-build");
    const std::variant<Options, int> parsed = parseOptions(argc, argv);
    if (const int* exitCode = std::get_if<int>(&parsed))
        return *exitCode;
    return build(std::get<Options>(parsed));
}
