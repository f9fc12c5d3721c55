#include "lists/entry_rules.h"

#include "lists/country_names.h"
#include "lists/list_matching.h"
#include "platform/core/utf8_text.h"

#include <algorithm>

namespace kvn {
namespace {

InputRefusal fieldNotSet() { return {"Please fill in field", "Field not set"}; }

// ", " and " ," become "," again and again until neither is left, so that
// blanks around the commas that separate values are dropped.
std::string joinCommasTightly(std::string_view text)
{
    std::string joined(text);
    for (;;) {
        if (const std::size_t at = joined.find(", "); at != std::string::npos) {
            joined.erase(at + 1, 1);
            continue;
        }
        const std::size_t at = joined.find(" ,");
        if (at == std::string::npos)
            return joined;
        joined.erase(at, 1);
    }
}

// Splitting keeps empty pieces: "a,,b," gives "a", "", "b", "".
std::vector<std::string> splitAtCommas(std::string_view text)
{
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        pieces.emplace_back(text.substr(start, comma == std::string_view::npos ? comma : comma - start));
        if (comma == std::string_view::npos)
            return pieces;
        start = comma + 1;
    }
}

std::string withoutAny(std::string text, std::string_view unwanted)
{
    std::erase_if(text, [&](char c) { return unwanted.find(c) != std::string_view::npos; });
    return text;
}

AddItemInput fromValues(std::vector<std::string> values)
{
    AddItemInput input;
    for (std::string& value : values)
        input.entries.push_back({std::move(value), {}});
    return input;
}

AddItemInput readAddresses(std::string_view namesField, std::string_view addressesField)
{
    if (isBlank(addressesField))
        return {{}, InputRefusal{"Please fill in (at least) the second field", "Second field not set"}};
    const std::vector<std::string> addresses = splitAtCommas(toLowerUtf8(joinCommasTightly(addressesField)));
    const std::vector<std::string> names = splitAtCommas(joinCommasTightly(namesField));
    AddItemInput input;
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        if (!isValidAddress(addresses[i]))
            return {{},
                InputRefusal{addresses[i] + " is not a valid e-mail address.\nPlease try again!", "Invalid address"}};
        input.entries.push_back({i < names.size() ? names[i] : std::string(), addresses[i]});
    }
    return input;
}

AddItemInput readIpRange(std::string_view fromText, std::string_view toText)
{
    const std::optional<std::uint32_t> from = parseDottedQuad(fromText);
    const std::optional<std::uint32_t> to = parseDottedQuad(toText);
    if (!from || !to)
        return {{}, InputRefusal{"Please enter valid IP addresses", "Invalid IP"}};
    if (*from > *to)
        return {{}, InputRefusal{"Please enter a 'From' IP address smaller then the 'To' IP address", "Invalid range"}};
    return {{{formatDottedQuad(*from), formatDottedQuad(*to)}}, std::nullopt};
}

AddItemInput readCountry(std::string_view name)
{
    if (isBlank(name))
        return {{}, InputRefusal{"Please select a country", "Country not selected"}};
    const std::string_view listed = countryListName(name);
    if (listed.empty())
        return {{}, InputRefusal{std::string(name) + " is not a country of the country list", "Unknown country"}};
    return {{{std::string(listed), {}}}, std::nullopt};
}

} // namespace

bool isBlank(std::string_view text) { return text.find_first_not_of(' ') == std::string_view::npos; }

bool isValidAddress(std::string_view address)
{
    const std::size_t lastAt = address.rfind('@');
    const std::size_t lastDot = address.rfind('.');
    return address.find('@', 1) != std::string_view::npos && lastDot != std::string_view::npos && lastDot > lastAt;
}

AddItemInput readAddItemInput(ListKind kind, std::string_view first, std::string_view second)
{
    switch (kind) {
    case ListKind::Address:
        return readAddresses(first, second);
    case ListKind::Domain:
        if (isBlank(first))
            return {{}, fieldNotSet()};
        return fromValues(splitAtCommas(withoutAny(toLowerUtf8(first), "@ ")));
    case ListKind::Word:
        if (isBlank(first))
            return {{}, fieldNotSet()};
        return fromValues(splitAtCommas(joinCommasTightly(toLowerUtf8(first))));
    case ListKind::FileType:
        if (isBlank(first))
            return {{}, fieldNotSet()};
        return fromValues(splitAtCommas(withoutAny(toLowerUtf8(first), ". ")));
    case ListKind::IpRange:
        return readIpRange(first, second);
    case ListKind::Country:
        return readCountry(first);
    }
    return {{}, fieldNotSet()};
}

} // namespace kvn
