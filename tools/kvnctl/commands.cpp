// The table of kvnctl's command groups. Each group lives in its own file.
#include "tools/kvnctl/command.h"

namespace kvn::kvnctl {

int runSenderIpCommand(CommandContext& context);
int runFilterDateCommand(CommandContext& context);
int runSettingsCommand(CommandContext& context);
int runInstallCommand(CommandContext& context);
int runUninstallCommand(CommandContext& context);
int runListsCommand(CommandContext& context);
int runStatsCommand(CommandContext& context);
int runProfileCommand(CommandContext& context);
int runMailCommand(CommandContext& context);
int runCountryCommand(CommandContext& context);
int runExplainCommand(CommandContext& context);

const char* const listsNotes
    = "KIND is address, domain, word, filetype, iprange or country. VALUE may hold several values\n"
      "separated by commas (--name too, one name per address), checked and stored as the add-item\n"
      "dialog does: addresses and words in lower case, domains in lower case without \"@\" and blanks,\n"
      "file types without dots, countries as the country list spells them (\"kvnctl lists add --black\n"
      "country 'puerto rico'\"). A value a listed one already covers (a sub-domain of a listed domain,\n"
      "an expression holding a listed word) is not added; one the other list covers is moved with\n"
      "--move. \"--\" ends the options: lists add --black word -- -viagra\n";

const char* const mailNotes
    = "FOLDER is \"Folder/Sub\" in the first store or \"Store/Folder/Sub\"; \"Contacts\" lists the\n"
      "contacts. A name holding \"/\" or \"\\\" is written with \"\\\" before it: a folder \"a/b\" is\n"
      "\"a\\/b\" (on disk .a\\2fb), a store \"Has/Slash\" is \"Has\\/Slash/Inbox\".\n"
      "--filter takes conditions joined with \"and\":\n"
      "  [UnRead]=true   [UnRead]=false\n"
      "  [ReceivedTime]>='Jan 05 2024 09:30 PM'   (also >, <=, < and =; minute precision;\n"
      "                                            kvnctl filter-date writes such dates)\n";

const char* const explainNotes
    = "For each message file, what a classification pass would do with it under the profile's lists and\n"
      "settings: the verdict (trusted, blocked, quarantined or left alone), the folder it would end in,\n"
      "the rule and list entry that decided (or \"no rule\"), and the statistics record or quarantine\n"
      "decision the pass would write. The pass runs on a copy of the message, as if it had just arrived\n"
      "unread, and on a copy of the profile's data in a private temporary folder: neither the message,\n"
      "its mailbox nor the profile is changed, and it works while the profile is in use. A file that\n"
      "cannot be explained is named with the reason, the others are still explained, and the exit\n"
      "status is then 1. \"-\" reads one message from standard input (mail | kvnctl explain -).\n";

const char* const uninstallNotes
    = "Unregisters the add-in and registers the clean-up add-in, which deletes the bar \"KVN\" at the\n"
      "host's next start and then unregisters itself. The lists, statistics and settings stay, so that\n"
      "installing again goes on with them. --purge deletes them too: in each profile's data folder the\n"
      "data files, the copies kept of damaged ones and the lock file, then the IP-to-country database, the\n"
      "debug log and the product's registry key; every deleted path is named. Mail is never touched.\n"
      "Refused (exit status 4) while the host or another kvnctl holds a profile.\n";

const char* const profileNotes
    = "A store's NAME and PATH are each used once per profile.\n"
      "The host sends mail by handing each message to COMMAND on its standard input (default\n"
      "\"sendmail -t -oi\"; its words are split as a shell would, but nothing is expanded); an empty\n"
      "COMMAND puts the default back. set-from gives the sender new messages carry (empty: the mail\n"
      "transfer agent writes the user's own address).\n";

const std::vector<CommandGroup>& commandGroups()
{
    static const std::vector<CommandGroup> groups = {
        {"sender-ip", {"sender-ip FILE|-"}, runSenderIpCommand},
        {"filter-date", {"filter-date OLEDATE (-657434 to 2958465; 0 or less is 2000-01-01)"}, runFilterDateCommand},
        {"settings", {"settings show [--json]", "settings set NAME VALUE", "settings unset NAME"}, runSettingsCommand},
        {"install", {"install (writes Install_Dir, --install-dir or the default, and makes the folder)"},
            runInstallCommand},
        {"uninstall",
            {"uninstall [--purge] [--json] (removes the add-in; --purge also deletes the lists, statistics and "
             "settings)"},
            runUninstallCommand, uninstallNotes},
        {"lists",
            {"lists show [--white|--black] [--kind KIND] [--json]",
                "lists add --white|--black KIND VALUE [--name NAME] [--to UPPER] [--move] [--keep-what-was-read] "
                "[--json]",
                "lists remove --white|--black KIND VALUE [--to UPPER] [--keep-what-was-read] [--json]",
                "lists dump FILE [--json]"},
            runListsCommand, listsNotes},
        {"stats", {"stats show [--json]"}, runStatsCommand},
        {"profile",
            {"profile add-store NAME PATH [--contacts DIR]", "profile set-sendmail \"COMMAND\"",
                "profile set-from \"NAME <ADDRESS>\"", "profile show [--json]"},
            runProfileCommand, profileNotes},
        {"mail",
            {"mail folders [--json]", "mail list FOLDER [--filter \"...\"] [--json]", "mail move ENTRYID FOLDER",
                "mail mark-read ENTRYID"},
            runMailCommand, mailNotes},
        {"country", {"country IP [--json] (the country the IP-to-country database gives)"}, runCountryCommand},
        {"explain", {"explain FILE|-... [--json] (what the filter would do with each message, and why)"},
            runExplainCommand, explainNotes},
    };
    return groups;
}

} // namespace kvn::kvnctl
