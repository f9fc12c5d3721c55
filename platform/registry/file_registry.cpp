// The registry as a folder of hive files: cached reads, locked atomic writes.
#include "platform/registry/hive_file.h"
#include "platform/registry/reg_file_parser.h"
#include "platform/registry/reg_file_writer.h"
#include "platform/registry/registry.h"

#include "platform/core/diagnostics.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <mutex>

namespace kvn::registry {
namespace {

constexpr std::array allHives = {Hive::LocalMachine, Hive::CurrentUser, Hive::ClassesRoot};

// Names and path parts go into the file's lines; a line break or other
// control character would end a line in the middle of a name.
bool isWritableName(std::string_view name)
{
    return std::none_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

struct HiveState {
    std::string path;
    bool loaded = false; // tree holds what the file with `identity` holds
    FileIdentity identity;
    bool settled = false; // identity tells every later change (hive_file.h)
    std::string bytes; // what the tree was read from, to spot a same-tick change
    HeldFile held;
    HiveTree tree;
    std::optional<FileIdentity> reported; // the broken file last reported
    Status readStatus = Status::success(); // of the latest read
    Status writeStatus = Status::success(); // of the latest write call
};

enum class Change { Failed, None, Made };

class FileRegistry final : public Registry {
public:
    FileRegistry(std::string folder, FileRegistryOptions options)
        : folder_(std::move(folder)),
          files_(options.files != nullptr ? *options.files : realFileSystem()),
          report_(options.reportProblem ? std::move(options.reportProblem) : reportToStandardError),
          timestampStepNs_(options.timestampStepNs)
    {
        for (const Hive hive : allHives)
            state(hive).path = folder_ + "/" + std::string(hiveName(hive)) + ".reg";
    }

    bool keyExists(Hive hive, std::string_view path) override
    {
        std::lock_guard lock(mutex_);
        return current(hive).find(path) != nullptr;
    }

    bool createKey(Hive hive, std::string_view path) override
    {
        if (!isWritableName(path))
            return refuseName(hive);
        return change(hive, [&](HiveTree& tree) {
            if (tree.find(path) != nullptr)
                return Change::None;
            tree.create(path);
            return Change::Made;
        });
    }

    std::optional<Value> queryValue(
        Hive hive, std::string_view path, std::string_view name, std::size_t maxBytes) override
    {
        std::lock_guard lock(mutex_);
        const HiveKey* key = current(hive).find(path);
        if (key == nullptr)
            return std::nullopt;
        const StoredValue* stored = key->findValue(foldName(name));
        if (stored == nullptr || stored->value.bytes.size() > maxBytes)
            return std::nullopt;
        return stored->value;
    }

    bool setValue(Hive hive, std::string_view path, std::string_view name, const Value& value) override
    {
        if (!isWritableName(path) || !isWritableName(name))
            return refuseName(hive);
        return change(hive, [&](HiveTree& tree) {
            HiveKey& key = tree.create(path);
            if (const StoredValue* stored = key.findValue(foldName(name));
                stored != nullptr && stored->value.type == value.type && stored->value.bytes == value.bytes)
                return Change::None;
            HiveTree::setValue(key, name, value);
            return Change::Made;
        });
    }

    bool deleteValue(Hive hive, std::string_view path, std::string_view name) override
    {
        return change(hive, [&](HiveTree& tree) {
            HiveKey* key = tree.find(path);
            return key != nullptr && HiveTree::removeValue(*key, name) ? Change::Made : Change::Failed;
        });
    }

    bool deleteKey(Hive hive, std::string_view path) override
    {
        // A hive's root is not a key that can go.
        if (splitKeyPath(path).empty())
            return false;
        return change(hive, [&](HiveTree& tree) { return tree.remove(path) ? Change::Made : Change::Failed; });
    }

    std::vector<std::string> subKeyNames(Hive hive, std::string_view path) override
    {
        std::lock_guard lock(mutex_);
        std::vector<std::string> names;
        if (const HiveKey* key = current(hive).find(path)) {
            for (const auto& child : key->children)
                names.push_back(child->name);
        }
        return names;
    }

    std::vector<std::string> valueNames(Hive hive, std::string_view path) override
    {
        std::lock_guard lock(mutex_);
        std::vector<std::string> names;
        if (const HiveKey* key = current(hive).find(path)) {
            for (const StoredValue& value : key->values)
                names.push_back(value.name);
        }
        return names;
    }

    Status hiveStatus(Hive hive) override
    {
        std::lock_guard lock(mutex_);
        current(hive);
        return state(hive).readStatus;
    }

    Status writeStatus(Hive hive) override
    {
        std::lock_guard lock(mutex_);
        return state(hive).writeStatus;
    }

private:
    HiveState& state(Hive hive) { return hives_[static_cast<std::size_t>(hive)]; }

    bool refuseName(Hive hive)
    {
        std::lock_guard lock(mutex_);
        state(hive).writeStatus = Status::failure(
            "Names of registry keys and values may not hold control characters; nothing was written to "
            + state(hive).path);
        return false;
    }

    // The hive as its file holds it now; reads the file only when it changed,
    // or when it was read too soon after a change to tell a later one.
    const HiveTree& current(Hive hive)
    {
        HiveState& hiveState = state(hive);
        const std::optional<FileIdentity> now = identityAt(hiveState.path, timestampStepNs_);
        const bool unchanged = hiveState.loaded && now && *now == hiveState.identity;
        if (unchanged && hiveState.settled)
            return hiveState.tree;
        HiveSnapshot snapshot = readHiveFile(hiveState.path, timestampStepNs_);
        hiveState.readStatus = snapshot.status;
        if (!snapshot.status.ok()) {
            // Unreadable for now: nothing in it can be seen, and the next call tries again.
            hiveState.tree = HiveTree();
            hiveState.bytes.clear();
            hiveState.loaded = false;
            return hiveState.tree;
        }
        if (unchanged && snapshot.identity == hiveState.identity && snapshot.bytes == hiveState.bytes) {
            // The same bytes again: only the trust in the identity grows.
            hiveState.settled = snapshot.settled;
            hiveState.held = std::move(snapshot.held);
            return hiveState.tree;
        }
        adopt(hiveState, hive, std::move(snapshot));
        return hiveState.tree;
    }

    // Makes the snapshot the hive's state; tells whether the file had lines
    // that could not be read.
    bool adopt(HiveState& hiveState, Hive hive, HiveSnapshot snapshot)
    {
        ParsedHive parsed = parseHive(snapshot.bytes, hiveName(hive));
        if (parsed.problem)
            reportOnce(hiveState, *parsed.problem, snapshot.identity);
        hiveState.tree = std::move(parsed.tree);
        remember(hiveState, std::move(snapshot));
        return parsed.problem.has_value();
    }

    static void remember(HiveState& hiveState, HiveSnapshot snapshot)
    {
        hiveState.identity = snapshot.identity;
        hiveState.settled = snapshot.settled;
        hiveState.bytes = std::move(snapshot.bytes);
        hiveState.held = std::move(snapshot.held);
        hiveState.loaded = true;
    }

    void reportOnce(HiveState& hiveState, const HiveProblem& problem, const FileIdentity& identity)
    {
        if (hiveState.reported == identity)
            return;
        hiveState.reported = identity;
        std::string message = hiveState.path + " line " + std::to_string(problem.firstLine) + " cannot be read: \""
            + problem.firstText + "\"";
        if (problem.lineCount > 1)
            message += " (and " + std::to_string(problem.lineCount - 1) + " more lines)";
        message += "; what cannot be read is left out, and the file is kept as " + hiveState.path
            + ".bad before it is next written";
        report_(message);
    }

    // Applies the edit to the latest file under the folder's lock and writes
    // the result; the edit says whether it changed anything.
    template <typename Edit> bool change(Hive hive, Edit edit)
    {
        std::lock_guard lock(mutex_);
        HiveState& hiveState = state(hive);
        Change outcome = Change::Failed;
        hiveState.writeStatus = write(hive, hiveState, edit, outcome);
        return hiveState.writeStatus.ok() && outcome != Change::Failed;
    }

    // The write of change(); `outcome` is what the edit did, if it ran.
    template <typename Edit> Status write(Hive hive, HiveState& hiveState, Edit& edit, Change& outcome)
    {
        const std::string unwritten = "; nothing was written to " + hiveState.path;
        if (Status folder = ensureFolderPath(files_, folder_); !folder.ok())
            return Status::failure(folder.error() + unwritten);
        std::string lockError;
        const std::optional<FolderLock> folderLock = FolderLock::acquire(folder_, lockError);
        if (!folderLock)
            return Status::failure(lockError + unwritten);
        HiveSnapshot snapshot = readHiveFile(hiveState.path, timestampStepNs_);
        hiveState.readStatus = snapshot.status;
        if (!snapshot.status.ok())
            return Status::failure(snapshot.status.error() + "; nothing was written"); // never write over it
        const std::string original = snapshot.bytes;
        const bool hadProblem = adopt(hiveState, hive, std::move(snapshot));
        outcome = edit(hiveState.tree);
        if (outcome != Change::Made) {
            if (outcome == Change::Failed)
                hiveState.loaded = false; // the edit may have touched the tree before failing
            return Status::success();
        }
        // From here on the tree holds what the file does not: read it afresh next time.
        hiveState.loaded = false;
        if (hadProblem) {
            if (Status kept = keepUnreadableCopy(files_, hiveState.path, original); !kept.ok())
                return Status::failure("Cannot keep a copy of " + hiveState.path + ": " + kept.error() + unwritten);
        }
        if (Status replaced = files_.replaceFile(hiveState.path, writeHive(hiveState.tree, hiveName(hive)));
            !replaced.ok()) {
            return Status::failure("Cannot write " + hiveState.path + ": " + replaced.error());
        }
        HiveSnapshot written = readHiveFile(hiveState.path, timestampStepNs_);
        if (written.status.ok())
            remember(hiveState, std::move(written));
        return Status::success();
    }

    std::string folder_;
    FileSystem& files_;
    ProblemReporter report_;
    std::int64_t timestampStepNs_;
    std::mutex mutex_;
    std::array<HiveState, 3> hives_;
};

} // namespace

std::unique_ptr<Registry> openFileRegistry(const std::string& folder, FileRegistryOptions options)
{
    return std::make_unique<FileRegistry>(folder, std::move(options));
}

std::unique_ptr<Registry> openFileRegistry(const std::string& folder) { return openFileRegistry(folder, {}); }

} // namespace kvn::registry
