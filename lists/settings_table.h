// Every option the system keeps in the registry, with its type and default:
// the one list that the settings code, the options dialog and kvnctl share.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace kvn {

// Value names, as stored.
namespace setting {
inline constexpr std::string_view InstallDir = "Install_Dir";
inline constexpr std::string_view Run = "Run";
inline constexpr std::string_view StartUp = "StartUp";
inline constexpr std::string_view ShowPopup = "ShowPopup";
inline constexpr std::string_view ShowQWnd = "ShowQWnd";
inline constexpr std::string_view ProcessQWndMails = "ProcessQWndMails";
inline constexpr std::string_view ShowQWReminder = "Show_QWReminder";
inline constexpr std::string_view EditQWReminder = "Edit_QWReminder";
inline constexpr std::string_view ComboQWReminder = "Combo_QWReminder";
inline constexpr std::string_view AutoClean = "AutoClean";
inline constexpr std::string_view RemoveBlackAfter = "RemoveBlackAfter";
inline constexpr std::string_view NotExceedBlack = "NotExceedBlack";
inline constexpr std::string_view SameSender = "SameSender";
inline constexpr std::string_view Ip2Country = "Ip2Country";
inline constexpr std::string_view UseLogging = "UseLogging";
inline constexpr std::string_view StopTime = "StopTime";
inline constexpr std::string_view DefaultInbox = "DefaultInbox";
inline constexpr std::string_view NewsLastDate = "NewsLastDate";
} // namespace setting

enum class SettingType { Dword, String };

struct SettingDefinition {
    std::string_view name;
    SettingType type;
    std::uint32_t dwordDefault; // for a Dword
    std::string_view stringDefault; // for a String
    std::string_view meaning; // one line for people
};

// The values of a profile's key, in the order people read them.
std::span<const SettingDefinition> profileSettings();

// The entry of the table with that name, compared without regard to letter
// case as the registry compares names; null when it is none of them.
const SettingDefinition* findProfileSetting(std::string_view name);

// Strings are read with at most this many bytes; a longer one reads as its default.
inline constexpr std::size_t longestSettingString = 255;

// "AutoClean" holds days from 0 to 30; anything above means off, and this is
// what is written for off.
inline constexpr std::uint32_t autoCleanOff = 1000;
inline constexpr std::uint32_t longestAutoClean = 30;

} // namespace kvn
