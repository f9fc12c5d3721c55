#include "host/host_options.h"

#include "platform/core/profile_name.h"

namespace kvn::host {

const char* const hostUsage = "Usage: korvane [--profile NAME] [--headless [--once]]\n"
                              "  --profile NAME  the mail profile (default \"Default\")\n"
                              "  --headless      run without a window: messages go to the console\n"
                              "  --once          connect the add-ins, let their start-up finish, raise one\n"
                              "                  NewMail, wait until they are idle, disconnect and exit\n"
                              "SIGINT or SIGTERM disconnects every add-in and ends the host.\n"
                              "Exit status: 0 success; 1 an add-in failed to load or connect (with --once),\n"
                              "or the profile is in use; 2 a usage error.\n";

ParsedOptions parseHostOptions(const std::vector<std::string>& words)
{
    HostOptions options;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "--help" || word == "-h")
            return {std::nullopt, hostUsage, exitSuccess};
        if (word == "--headless")
            options.headless = true;
        else if (word == "--once")
            options.once = true;
        else if (word == "--profile" && i + 1 < words.size())
            options.profile = words[++i];
        else if (word.starts_with("--profile="))
            options.profile = word.substr(10);
        else
            return {std::nullopt, "korvane: unknown argument \"" + word + "\"\n" + hostUsage, exitUsage};
    }
    if (const Status name = checkProfileName(options.profile); !name.ok())
        return {std::nullopt, "korvane: " + name.error() + "\n", exitUsage};
    if (options.once && !options.headless)
        return {std::nullopt, "korvane: --once runs without a window; give --headless with it\n", exitUsage};
    return {options, {}, exitSuccess};
}

} // namespace kvn::host
