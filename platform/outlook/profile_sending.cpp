#include "platform/outlook/profile_sending.h"

namespace kvn::outlook {
namespace {

using registry::Hive;

// A command line or an address; anything longer is not one.
constexpr std::size_t maxValueBytes = 4 * 1024;

std::string readText(registry::Registry& reg, std::string_view profile, std::string_view name)
{
    const auto value = reg.queryValue(Hive::CurrentUser, profileKey(profile), name, maxValueBytes);
    if (!value || value->type != static_cast<std::uint32_t>(registry::ValueType::String))
        return {};
    std::string text = value->bytes;
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

bool writeText(registry::Registry& reg, std::string_view profile, std::string_view name, std::string_view text)
{
    return reg.setValue(Hive::CurrentUser, profileKey(profile), name, registry::stringValue(std::string(text)));
}

} // namespace

std::string profileKey(std::string_view profile)
{
    return "Software\\Brindlecraft\\KVN Host\\Profiles\\" + std::string(profile);
}

std::string sendmailCommand(registry::Registry& reg, std::string_view profile)
{
    std::string command = readText(reg, profile, "Sendmail");
    if (command.find_first_not_of(" \t") == std::string::npos)
        return std::string(defaultSendmailCommand);
    return command;
}

bool setSendmailCommand(registry::Registry& reg, std::string_view profile, std::string_view command)
{
    return writeText(reg, profile, "Sendmail", command);
}

std::string senderAddress(registry::Registry& reg, std::string_view profile) { return readText(reg, profile, "From"); }

bool setSenderAddress(registry::Registry& reg, std::string_view profile, std::string_view from)
{
    return writeText(reg, profile, "From", from);
}

} // namespace kvn::outlook
