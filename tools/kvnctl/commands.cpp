// The table of kvnctl's command groups. Each group lives in its own file.
#include "tools/kvnctl/command.h"

namespace kvn::kvnctl {

int runSenderIpCommand(CommandContext& context);
int runFilterDateCommand(CommandContext& context);
int runSettingsCommand(CommandContext& context);
int runInstallCommand(CommandContext& context);
int runListsCommand(CommandContext& context);
int runStatsCommand(CommandContext& context);
int runProfileCommand(CommandContext& context);
int runMailCommand(CommandContext& context);
int runCountryCommand(CommandContext& context);

const std::vector<CommandGroup>& commandGroups()
{
    static const std::vector<CommandGroup> groups = {
        {"sender-ip", {"sender-ip FILE|-"}, runSenderIpCommand},
        {"filter-date", {"filter-date OLEDATE"}, runFilterDateCommand},
        {"settings", {"settings show [--json]", "settings set NAME VALUE", "settings unset NAME"}, runSettingsCommand},
        {"install", {"install (writes Install_Dir, --install-dir or the default, and makes the folder)"},
            runInstallCommand},
        {"lists",
            {"lists show [--white|--black] [--kind KIND] [--json]",
                "lists add --white|--black KIND VALUE [--name NAME] [--to UPPER] [--keep-what-was-read] [--json]",
                "lists remove --white|--black KIND VALUE [--to UPPER] [--keep-what-was-read] [--json]",
                "lists dump FILE [--json]"},
            runListsCommand},
        {"stats", {"stats show [--json]"}, runStatsCommand},
        {"profile", {"profile add-store NAME PATH [--contacts DIR]", "profile show [--json]"}, runProfileCommand},
        {"mail",
            {"mail folders [--json]", "mail list FOLDER [--filter \"...\"] [--json]", "mail move ENTRYID FOLDER",
                "mail mark-read ENTRYID"},
            runMailCommand},
        {"country", {"country IP [--json] (the country the IP-to-country database gives)"}, runCountryCommand},
    };
    return groups;
}

} // namespace kvn::kvnctl
