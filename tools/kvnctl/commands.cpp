// The table of kvnctl's command groups. Each group lives in its own file.
#include "tools/kvnctl/command.h"

namespace kvn::kvnctl {

int runSenderIpCommand(CommandContext& context);
int runFilterDateCommand(CommandContext& context);

const std::vector<CommandGroup>& commandGroups()
{
    static const std::vector<CommandGroup> groups = {
        {"sender-ip", {"sender-ip FILE|-"}, runSenderIpCommand},
        {"filter-date", {"filter-date OLEDATE"}, runFilterDateCommand},
    };
    return groups;
}

} // namespace kvn::kvnctl
