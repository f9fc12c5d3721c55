// kvnctl explain FILE...: what a classification pass would do with each
// message file under the profile's lists and settings, and why, found by
// the pass itself on copies (explain_sandbox.h). Only reads the profile, so
// it works while the host or another kvnctl holds the profile's lock.
#include "analysis/ip2c_lookup.h"
#include "lists/settings_table.h"
#include "platform/core/xdg_paths.h"
#include "platform/odbc/odbc.h"
#include "platform/outlook/profile_stores.h"
#include "tools/kvnctl/explain_sandbox.h"
#include "tools/kvnctl/explanation_printing.h"
#include "tools/kvnctl/list_printing.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <ostream>

namespace kvn::kvnctl {
namespace {

Settings profileSettings(const CommandContext& context)
{
    // Defaults taken for an unreadable hive would explain a different filter.
    if (const Status readable = optionsReadStatus(); !readable.ok())
        throw CommandFailure("the options cannot be read: " + readable.error());
    return readSettings(context.options.profile);
}

outlook::StoreConfig defaultStore(const CommandContext& context)
{
    requireReadableHive(registry::processRegistry(), registry::Hive::CurrentUser);
    const auto stores = outlook::loadProfileStores(registry::processRegistry(), context.options.profile, homeFolder());
    return stores.empty() ? outlook::StoreConfig() : stores.front();
}

std::string temporaryBase()
{
    const char* base = std::getenv("TMPDIR");
    return base != nullptr && *base != '\0' ? base : "/tmp";
}

// The country rule's database, as the start-up run opens it, when
// "Ip2Country" is on; null (after saying so) when it cannot be had. Nothing
// is offered for download and the option is left as it is.
class CountryDatabase {
public:
    CountryDatabase(const CommandContext& context, bool useCountry)
    {
        if (!useCountry)
            return;
        const std::string installDir = context.installDir();
        const std::string database = ip2cDatabasePath(installDir);
        if (!std::filesystem::is_regular_file(database)) {
            context.err << "kvnctl: the country rule is left out: no IP-to-country database at " << database << '\n';
            return;
        }
        lookup_
            = std::make_unique<Ip2cLookup>(odbc::realOdbc(), ui_, installDir, profileSubKey(context.options.profile));
        if (lookup_->ensureIp2cDsn(database))
            lookup_->switchCountryFiltering(true);
        if (!lookup_->isOpen()) {
            context.err << "kvnctl: the country rule is left out: " << database << " cannot be opened\n";
            lookup_.reset();
        }
    }

    Ip2cLookup* lookup() const { return lookup_.get(); }

private:
    ConsoleUi ui_;
    std::unique_ptr<Ip2cLookup> lookup_;
};

} // namespace

int runExplainCommand(CommandContext& context)
{
    auto printer = context.takePrinter();
    std::vector<std::string> files;
    while (std::optional<std::string> file = context.arguments.takeOptionalWord())
        files.push_back(std::move(*file));
    context.arguments.expectNoMore();
    if (files.empty())
        throw UsageError("name at least one message FILE");

    int status = exitSuccess;
    const std::optional<ProfileData> data = loadForReading(context, status);
    if (!data)
        return status;
    const Settings settings = profileSettings(context);
    const CountryDatabase countries(context, settings.useCountry);
    const ExplainProfile profile{*data, settings, defaultStore(context),
        readString(profileSubKey(context.options.profile), setting::DefaultInbox, ""), countries.lookup(),
        temporaryBase()};

    printer->beginList();
    for (const std::string& file : files) {
        const ExplainOutcome outcome = explainMessageFile(file, profile);
        if (outcome.explanation) {
            printExplanation(*printer, file, *outcome.explanation, outcome.warning);
            continue;
        }
        printExplanationError(*printer, file, outcome.error);
        context.err << "kvnctl: " << outcome.error << '\n';
        status = exitFileError;
    }
    printer->endList();
    printer->finish();
    return status;
}

} // namespace kvn::kvnctl
