#include "plugprobe/flash_check.h"

#include <string_view>

namespace kvn::plugprobe {
namespace {

constexpr std::string_view curVerKey = "ShockwaveFlash.ShockwaveFlash\\CurVer";
// The length of "ShockwaveFlash.ShockwaveFlash.", which precedes the number.
constexpr std::size_t prefixLength = 30;
// No CurVer text is anywhere near this long; a longer value is not read.
constexpr std::size_t largestValue = 64 * 1024;

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// A whole number from 0 to 255, digits only.
std::optional<int> byteNumber(std::string_view text)
{
    if (text.empty() || text.size() > 3)
        return std::nullopt;
    int number = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        number = number * 10 + (c - '0');
    }
    if (number > 255)
        return std::nullopt;
    return number;
}

} // namespace

std::optional<int> registeredPlayerVersion(registry::Registry& registry)
{
    const std::optional<registry::Value> value
        = registry.queryValue(registry::Hive::ClassesRoot, curVerKey, "", largestValue);
    if (!value || value->bytes.size() < prefixLength)
        return std::nullopt;
    std::string_view rest = std::string_view(value->bytes).substr(prefixLength);
    rest = rest.substr(0, rest.find('\0'));
    return byteNumber(trimBlanks(rest));
}

bool IsFlashInstalled(registry::Registry& registry)
{
    const std::optional<int> version = registeredPlayerVersion(registry);
    return version && *version >= minimumPlayerVersion;
}

void subMain(registry::Registry& registry, Ui& ui, const ProbeSettings& settings)
{
    if (IsFlashInstalled(registry))
        return;
    MessageRequest question;
    question.text = playerQuestion;
    question.caption = settings.title;
    question.buttons = MessageButtons::YesNoCancel;
    if (ui.showMessage(question) != MessageAnswer::Yes)
        return;
    static_cast<void>(ui.openWithShell(settings.downloadAddress, ""));
}

} // namespace kvn::plugprobe
