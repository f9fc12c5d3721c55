// The registry: hives of keys holding typed values, as the system and its
// add-ins store options and registrations. Key paths are written with "\"
// between their parts ("Software\Brindlecraft\KVN"); key and value names
// compare without regard to letter case and keep the case they were created
// with. Every call is safe from any thread and sees the latest completed
// write of any process.
#pragma once

#include "platform/core/status.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvn {
class FileSystem;
}

namespace kvn::registry {

enum class Hive { LocalMachine, CurrentUser, ClassesRoot };

// The hive's predefined name, "HKEY_LOCAL_MACHINE" and so on; it names the
// hive's file too ("HKEY_LOCAL_MACHINE.reg").
std::string_view hiveName(Hive hive);

// Value types, numbered as Windows numbers them.
enum class ValueType : std::uint32_t {
    None = 0,
    String = 1, // REG_SZ
    ExpandString = 2, // REG_EXPAND_SZ
    Binary = 3, // REG_BINARY
    Dword = 4, // REG_DWORD, 4 bytes little-endian
    MultiString = 7, // REG_MULTI_SZ
    Qword = 11, // REG_QWORD
};

struct Value {
    std::uint32_t type = 0; // a ValueType, or any other number a file holds
    std::string bytes; // raw bytes as stored; a REG_SZ holds exactly what its writer passed
};

class Registry {
public:
    virtual ~Registry() = default;

    // True when the key exists (opening it for reading would succeed).
    virtual bool keyExists(Hive hive, std::string_view path) = 0;
    // Creates the key and any missing parents; an existing key is success.
    virtual bool createKey(Hive hive, std::string_view path) = 0;
    // The value, or empty when the key or the value does not exist, or when
    // the stored value has more than maxBytes bytes.
    virtual std::optional<Value> queryValue(
        Hive hive, std::string_view path, std::string_view name, std::size_t maxBytes)
        = 0;
    // Creates the key when missing and writes the value. An empty name is the
    // key's default value.
    virtual bool setValue(Hive hive, std::string_view path, std::string_view name, const Value& value) = 0;
    // False when the key or the value does not exist.
    virtual bool deleteValue(Hive hive, std::string_view path, std::string_view name) = 0;
    // Deletes the key with everything below it; false when it does not exist.
    virtual bool deleteKey(Hive hive, std::string_view path) = 0;
    // Names of the direct sub-keys and of the values, in the order they were
    // created; empty when the key does not exist.
    virtual std::vector<std::string> subKeyNames(Hive hive, std::string_view path) = 0;
    virtual std::vector<std::string> valueNames(Hive hive, std::string_view path) = 0;

    // Whether the hive can be read now: success when it can, or when it does
    // not exist yet (an empty hive); otherwise a sentence naming where it is
    // kept and why it cannot be read. While it cannot be read it shows no keys
    // and every write to it fails, so a caller that must not take it for an
    // empty hive (and act on the defaults) asks this first.
    virtual Status hiveStatus(Hive hive) = 0;
    // Why the latest write call for the hive made through this object failed:
    // a sentence naming where the hive is kept and the reason; success when
    // it wrote, changed nothing, or only found that the key or value to
    // delete does not exist. Calls from several threads share it.
    virtual Status writeStatus(Hive hive) = 0;
};

// Helpers for the two common value types.
Value dwordValue(std::uint32_t number);
Value stringValue(std::string_view text);

// The registry folder: $KORVANE_REGISTRY when set, else
// $XDG_CONFIG_HOME/korvane/registry (~/.config/korvane/registry).
std::string defaultRegistryFolder();

// The registry kept as one ".reg" text file per hive in the folder; the folder
// is created (0700) on the first write.
//
// The files are HKEY_LOCAL_MACHINE.reg, HKEY_CURRENT_USER.reg and
// HKEY_CLASSES_ROOT.reg, written 0600. A person may edit them; each call reads
// a hive afresh only when its file changed since the last read, or when the
// last read came so soon after a change (within 2 s, the coarsest timestamp
// tick of common file systems) that a second change could hide in the same
// timestamps; such a read costs a read and a comparison, not a parse. Writes take
// the folder's lock (across processes), re-read the file, change it and
// replace it atomically, so that no process loses another's write. Names of
// keys and values may not hold control characters (a write with one fails).
//
// A hive file with lines that cannot be read: every well-formed key and value
// is used, the first bad line is reported once, and before the first write
// (which drops those lines) the original is kept as NAME.reg.bad beside it;
// the write fails when that copy cannot be made. A hive file that exists but
// cannot be read at all (no access, a folder or a FIFO in its place, too big)
// shows no keys, writes to it fail and change nothing, and hiveStatus() says
// why; hive files are opened without blocking, and only regular files are read.
std::unique_ptr<Registry> openFileRegistry(const std::string& folder);

// Told each problem with a hive file, as one sentence naming the file.
using ProblemReporter = std::function<void(const std::string& message)>;

struct FileRegistryOptions {
    FileSystem* files = nullptr; // the file system for writes; null is the real one
    ProblemReporter reportProblem; // empty writes to standard error
    // Hive files' times are taken as rounded down to this many nanoseconds,
    // as a file system with coarse timestamps gives them; 0 keeps them exact.
    // Lets a test act out such a file system on any other.
    std::int64_t timestampStepNs = 0;
};
std::unique_ptr<Registry> openFileRegistry(const std::string& folder, FileRegistryOptions options);

// The process's registry, opened on the default folder on first use.
Registry& processRegistry();

} // namespace kvn::registry
