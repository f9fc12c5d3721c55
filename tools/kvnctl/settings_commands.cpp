// kvnctl settings: every option of the profile's registry key, shown, set or
// removed, by the same table and the same four operations the filter uses.
#include "lists/registry_root.h"
#include "lists/settings.h"
#include "lists/settings_table.h"
#include "platform/core/utf8_text.h"
#include "platform/registry/registry.h"
#include "tools/kvnctl/command.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <limits>

namespace kvn::kvnctl {
namespace {

using registry::ValueType;

std::string_view typeName(SettingType type) { return type == SettingType::Dword ? "DWORD" : "string"; }

std::string storedTypeName(std::uint32_t type)
{
    switch (static_cast<ValueType>(type)) {
    case ValueType::None:
        return "REG_NONE";
    case ValueType::String:
        return "REG_SZ";
    case ValueType::ExpandString:
        return "REG_EXPAND_SZ";
    case ValueType::Binary:
        return "REG_BINARY";
    case ValueType::Dword:
        return "REG_DWORD";
    case ValueType::MultiString:
        return "REG_MULTI_SZ";
    case ValueType::Qword:
        return "REG_QWORD";
    }
    return "type " + std::to_string(type);
}

std::string hexBytes(std::string_view bytes)
{
    std::string text;
    for (const char c : bytes) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned char>(c));
        text += text.empty() ? "" : ",";
        text += pair;
    }
    return text;
}

bool isPlainText(std::string_view text)
{
    const bool control = std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
    return !control && isValidUtf8(text);
}

// A stored text as it may reach a terminal: plain text as it is; text with a
// NUL, another control character or bytes that are no UTF-8 with each such
// byte as \xNN and "\" doubled, so that nothing raw is printed.
std::string shownText(std::string_view text)
{
    if (isPlainText(text))
        return std::string(text);
    std::string shown;
    for (std::size_t at = 0; at < text.size();) {
        const Utf8Character character = decodeUtf8At(text, at);
        const auto lead = static_cast<unsigned char>(text[at]);
        if (character.isRawByte || lead < 0x20 || lead == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", lead);
            shown += escape;
        } else if (lead == '\\') {
            shown += "\\\\";
        } else {
            shown.append(text.substr(at, character.length));
        }
        at += character.length;
    }
    return shown;
}

void printText(Printer& printer, std::string_view key, std::string_view text)
{
    printer.field(key, shownText(text));
    if (!isPlainText(text))
        printer.field(std::string(key) + "Escaped", true);
}

const SettingDefinition& settingNamed(const std::string& name)
{
    const SettingDefinition* definition = findProfileSetting(name);
    if (definition == nullptr)
        throw UsageError("no option is called " + name + " (kvnctl settings show lists them)");
    return *definition;
}

std::uint32_t dwordFromText(const std::string& text)
{
    std::uint32_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        throw UsageError("a DWORD option takes a decimal number from 0 to 4294967295, not " + text);
    return number;
}

// The stored value as it is, in the form its type has.
void printStored(Printer& printer, const std::optional<registry::Value>& stored, SettingType type)
{
    printer.key("stored");
    if (!stored) {
        printer.null();
        return;
    }
    const bool isDword = stored->type == static_cast<std::uint32_t>(ValueType::Dword) && stored->bytes.size() == 4;
    const bool isString = stored->type == static_cast<std::uint32_t>(ValueType::String);
    if (isDword) {
        std::uint32_t number = 0;
        for (std::size_t i = 0; i < 4; ++i)
            number |= static_cast<std::uint32_t>(static_cast<unsigned char>(stored->bytes[i])) << (8 * i);
        printer.integer(number);
    } else if (isString) {
        printer.string(shownText(stored->bytes));
        if (!isPlainText(stored->bytes))
            printer.field("storedEscaped", true);
    } else {
        printer.string("hex:" + hexBytes(stored->bytes));
    }
    if ((type == SettingType::Dword && !isDword) || (type == SettingType::String && !isString))
        printer.field("storedType", storedTypeName(stored->type));
}

void printSetting(Printer& printer, const SettingDefinition& definition, const std::string& subKey)
{
    const std::optional<registry::Value> stored = rootRegistry().queryValue(
        registryRoot().hive, rootKeyPath(subKey), definition.name, std::numeric_limits<std::size_t>::max());
    printer.beginMap();
    printer.field("name", definition.name);
    printer.field("type", typeName(definition.type));
    printStored(printer, stored, definition.type);
    if (definition.type == SettingType::Dword) {
        printer.field(
            "effective", static_cast<std::int64_t>(readDword(subKey, definition.name, definition.dwordDefault)));
        printer.field("default", static_cast<std::int64_t>(definition.dwordDefault));
    } else {
        printText(printer, "effective", readString(subKey, definition.name, definition.stringDefault));
        printer.field("default", definition.stringDefault);
    }
    printer.field("meaning", definition.meaning);
    printer.endMap();
}

void requireReadableOptions() { requireReadableHive(rootRegistry(), registryRoot().hive); }

std::string writeFailure(std::string_view what, std::string_view name)
{
    return "cannot " + std::string(what) + " " + std::string(name) + ": " + optionsWriteStatus().error();
}

int showSettings(CommandContext& context)
{
    auto printer = context.takePrinter();
    context.arguments.expectNoMore();
    requireReadableOptions();
    const std::string subKey = profileSubKey(context.options.profile);
    printer->beginMap();
    printer->field("registry", registry::defaultRegistryFolder());
    printer->field("key", std::string(registry::hiveName(registryRoot().hive)) + "\\" + rootKeyPath(subKey));
    printer->field("installDir", readInstallDir());
    printer->key("values");
    printer->beginList();
    for (const SettingDefinition& definition : profileSettings())
        printSetting(*printer, definition, subKey);
    printer->endList();
    printer->endMap();
    printer->finish();
    return exitSuccess;
}

int setSetting(CommandContext& context)
{
    auto printer = context.takePrinter();
    const SettingDefinition& definition = settingNamed(context.arguments.takeWord("NAME"));
    const std::string text = context.arguments.takeWord("VALUE");
    context.arguments.expectNoMore();
    const std::string subKey = profileSubKey(context.options.profile);
    if (definition.type == SettingType::Dword) {
        const std::uint32_t number = dwordFromText(text);
        if (!writeDword(subKey, definition.name, number))
            return context.fail(writeFailure("write", definition.name));
    } else {
        if (text.size() > longestSettingString)
            throw UsageError("a string option holds at most 255 bytes; this one has " + std::to_string(text.size()));
        if (!writeString(subKey, definition.name, text))
            return context.fail(writeFailure("write", definition.name));
    }
    printSetting(*printer, definition, subKey);
    printer->finish();
    return exitSuccess;
}

int unsetSetting(CommandContext& context)
{
    auto printer = context.takePrinter();
    const SettingDefinition& definition = settingNamed(context.arguments.takeWord("NAME"));
    context.arguments.expectNoMore();
    requireReadableOptions();
    const std::string subKey = profileSubKey(context.options.profile);
    registry::Registry& registry = rootRegistry();
    const std::string path = rootKeyPath(subKey);
    const bool wasStored = registry.queryValue(registryRoot().hive, path, definition.name, 1 << 20).has_value();
    if (wasStored && !registry.deleteValue(registryRoot().hive, path, definition.name))
        return context.fail(writeFailure("remove", definition.name));
    printSetting(*printer, definition, subKey);
    printer->finish();
    return exitSuccess;
}

} // namespace

int runSettingsCommand(CommandContext& context)
{
    const std::string action = context.arguments.takeWord("show, set or unset");
    if (action == "show")
        return showSettings(context);
    if (action == "set")
        return setSetting(context);
    if (action == "unset")
        return unsetSetting(context);
    throw UsageError("unknown settings command " + action);
}

} // namespace kvn::kvnctl
