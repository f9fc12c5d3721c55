// The table of options.
#include "lists/settings_table.h"

#include <array>

namespace kvn {
namespace {

constexpr std::uint32_t none = 0;
using enum SettingType;

constexpr std::array<SettingDefinition, 17> table = {{
    {setting::Run, String, none, "", "date of the first run for this profile (%m.%d.%Y); empty: not yet"},
    {setting::StartUp, Dword, 0, "", "1 = examine received e-mails when the host starts"},
    {setting::ShowPopup, Dword, 1, "", "1 = show the progress banner while e-mails are analysed"},
    {setting::ShowQWnd, Dword, 1, "", "1 = open the quarantine window on switching to the quarantine folder"},
    {setting::ProcessQWndMails, Dword, 0, "", "1 = process quarantined e-mails when a later list change decides them"},
    {setting::ShowQWReminder, Dword, 0, "", "1 = remind of unread quarantined e-mails"},
    {setting::EditQWReminder, Dword, 50, "", "remind when the quarantine folder holds more unread e-mails than this"},
    {setting::ComboQWReminder, Dword, 0, "", "when to check for the reminder: 0 = at start, 1 = on new e-mail"},
    {setting::AutoClean, Dword, 1000, "", "days after which quarantined e-mails are deleted; above 30 = off"},
    {setting::RemoveBlackAfter, Dword, 1, "", "1 = remove black-listed addresses that blocked nothing for 30 days"},
    {setting::NotExceedBlack, Dword, 100, "", "maximum number of black-listed addresses; 0 = no maximum"},
    {setting::SameSender, Dword, 1, "", "1 = quarantine e-mails whose sender and receiver are the same"},
    {setting::Ip2Country, Dword, 0, "", "1 = filter by country through the IP-to-country database"},
    {setting::UseLogging, Dword, 0, "", "1 = append debug lines to the debug log"},
    {setting::StopTime, String, none, "30000.0", "when the add-in last disconnected, an OLE date"},
    {setting::DefaultInbox, String, none, "", "the single Inbox folder for trusted e-mails; empty = none"},
    {setting::NewsLastDate, String, none, "2000.01.02", "date of the last news shown (%Y.%m.%d)"},
}};

bool sameName(std::string_view a, std::string_view b)
{
    // The table's names are ASCII, so ASCII folding decides.
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

} // namespace

std::span<const SettingDefinition> profileSettings() { return table; }

const SettingDefinition* findProfileSetting(std::string_view name)
{
    for (const SettingDefinition& definition : table) {
        if (sameName(definition.name, name))
            return &definition;
    }
    return nullptr;
}

} // namespace kvn
