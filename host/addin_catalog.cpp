#include "host/addin_catalog.h"

#include "platform/com/addin_registration.h"

namespace kvn::host {
namespace {

using registry::Hive;

constexpr std::size_t maxTextBytes = 64 * 1024;

std::optional<std::string> textValue(registry::Registry& reg, Hive hive, const std::string& key, std::string_view name)
{
    auto value = reg.queryValue(hive, key, name, maxTextBytes);
    if (!value
        || (value->type != static_cast<std::uint32_t>(registry::ValueType::String)
            && value->type != static_cast<std::uint32_t>(registry::ValueType::ExpandString)))
        return std::nullopt;
    std::string text = std::move(value->bytes);
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

std::uint32_t dwordOf(registry::Registry& reg, const std::string& key, std::string_view name)
{
    const auto value = reg.queryValue(Hive::CurrentUser, key, name, 4);
    if (!value || value->type != static_cast<std::uint32_t>(registry::ValueType::Dword) || value->bytes.size() != 4)
        return 0;
    std::uint32_t number = 0;
    for (int i = 3; i >= 0; --i)
        number = number << 8 | static_cast<unsigned char>(value->bytes[static_cast<std::size_t>(i)]);
    return number;
}

std::string addinKey(const std::string& progId) { return std::string(com::outlookAddinsKey) + "\\" + progId; }

std::optional<com::Guid> classOf(registry::Registry& reg, const std::string& progId)
{
    if (const auto clsid = textValue(reg, Hive::ClassesRoot, progId + "\\CLSID", ""))
        return com::parseGuid(*clsid);
    if (const auto current = textValue(reg, Hive::ClassesRoot, progId + "\\CurVer", ""))
        if (*current != progId)
            if (const auto clsid = textValue(reg, Hive::ClassesRoot, *current + "\\CLSID", ""))
                return com::parseGuid(*clsid);
    return std::nullopt;
}

} // namespace

std::vector<AddinEntry> registeredAddins(registry::Registry& reg)
{
    std::vector<AddinEntry> addins;
    for (const std::string& progId : reg.subKeyNames(Hive::CurrentUser, com::outlookAddinsKey)) {
        const std::string key = addinKey(progId);
        AddinEntry entry{progId, textValue(reg, Hive::CurrentUser, key, "FriendlyName").value_or(""),
            dwordOf(reg, key, "LoadBehavior")};
        addins.push_back(std::move(entry));
    }
    return addins;
}

bool loadsAtStart(const AddinEntry& addin)
{
    return addin.loadBehavior == 2 || addin.loadBehavior == com::loadAtStartup || loadsOnlyOnce(addin);
}

bool loadsOnlyOnce(const AddinEntry& addin) { return addin.loadBehavior == com::loadOnceAtNextStart; }

bool clearLoadOnce(registry::Registry& reg, const AddinEntry& addin)
{
    return reg.setValue(Hive::CurrentUser, addinKey(addin.progId), "LoadBehavior", registry::dwordValue(0));
}

std::optional<ClassLocation> locateClass(registry::Registry& reg, const std::string& progId, std::string& why)
{
    const std::optional<com::Guid> clsid = classOf(reg, progId);
    if (!clsid) {
        why = "no class is registered for " + progId;
        return std::nullopt;
    }
    const auto module = textValue(reg, Hive::ClassesRoot, com::classKey(*clsid) + "\\InprocServer32", "");
    if (!module || module->empty()) {
        why = "the class " + com::formatGuid(*clsid) + " names no module";
        return std::nullopt;
    }
    return ClassLocation{*clsid, *module};
}

std::string displayName(const AddinEntry& addin)
{
    return addin.friendlyName.empty() ? addin.progId : addin.friendlyName;
}

} // namespace kvn::host
