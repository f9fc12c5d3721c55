#include "platform/core/profile_name.h"

namespace kvn {

Status checkProfileName(std::string_view name)
{
    const std::string quoted = "The profile name \"" + std::string(name) + "\"";
    if (name.empty())
        return Status::failure("The profile name is empty");
    if (name == "." || name == "..")
        return Status::failure(quoted + " is not a folder name of its own");
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\')
            return Status::failure(quoted + " holds a \"" + c + "\"; it must be one plain folder name");
        if (byte < 0x20 || byte == 0x7F)
            return Status::failure("The profile name holds a control character; it must be one plain folder name");
    }
    return Status::success();
}

std::string profileDataFolder(const std::string& installDir, std::string_view profileName)
{
    if (!checkProfileName(profileName).ok())
        return {};
    return installDir + "/" + std::string(profileName);
}

} // namespace kvn
