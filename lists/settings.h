// The options in the registry: the four operations through which every read
// and write goes, the product and profile keys, and `Settings`, the engine's
// copy of the options its runs consult often.
#pragma once

#include "platform/core/status.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kvn {

// The value of the key rootKeyPath(subKey): at most four bytes of it are
// copied over the default's (little-endian) bytes, whatever its type, so a
// value of another type reads as its first four bytes and a shorter one keeps
// the default's upper bytes. A missing key or value gives the default.
std::uint32_t readDword(std::string_view subKey, std::string_view name, std::uint32_t fallback);

// Creates or opens the key and writes a REG_DWORD; false on any failure.
bool writeDword(std::string_view subKey, std::string_view name, std::uint32_t value);

// The value's bytes up to the first NUL, whatever its type; the default when
// the key or value is missing or the value has more than 255 bytes.
std::string readString(std::string_view subKey, std::string_view name, std::string_view fallback);

// Creates or opens the key and writes a REG_SZ of the text's bytes, without a
// terminating NUL. A text of more than 255 bytes is refused (false, nothing
// written): it could never be read back.
bool writeString(std::string_view subKey, std::string_view name, std::string_view text);

// Whether the options can be read: a failure naming the hive's file and why
// when the root's hive exists but cannot be read. The four operations then
// give every default and every write fails; a caller that would act on the
// defaults (such as writing into the default installation folder) asks first.
Status optionsReadStatus();

// Why the latest failed write of an option failed, naming the hive's file;
// success when the latest write did not fail.
Status optionsWriteStatus();

// The profile's sub-key: its name, or "Default" for a profile without one.
// The name must have passed checkProfileName (platform/core/profile_name.h).
std::string profileSubKey(std::string_view profileName);

// "Install_Dir" of the product key, where the installer put it; by default
// the user's data folder for Korvane ($XDG_DATA_HOME/korvane). Reads through
// the process-wide root, which must be the product key.
std::string readInstallDir();

// The number of days of "AutoClean", or none when automatic clean-up is off
// (a stored value above 30).
std::optional<std::uint32_t> autoCleanDays(std::uint32_t stored);

// "StopTime" as a number; the default's 30000.0 when the text is not one.
// Read and written without regard to the locale's decimal sign.
double parseStopTime(std::string_view text);
std::string formatStopTime(double oleDate); // "%.20f"

struct Settings {
    bool useLogging = false; // "UseLogging"
    double lastStopTime = 30000.0; // "StopTime"
    bool sameSender = true; // "SameSender"
    bool processQuarantined = false; // "ProcessQWndMails"
    bool useCountry = false; // "Ip2Country"
    // "Edit_QWReminder" when "Show_QWReminder" is 1, else -1 (no reminder).
    std::int32_t reminderThreshold = -1;
};

// The options of the profile's key as the start-up run reads them; a DWORD
// option counts as on when it is not 0.
Settings readSettings(std::string_view profileName);

// The threshold the reminder options give: -1 unless "Show_QWReminder" is 1.
std::int32_t reminderThresholdOf(std::uint32_t showReminder, std::uint32_t threshold);

} // namespace kvn
