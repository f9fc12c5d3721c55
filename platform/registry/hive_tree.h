// The keys and values of one hive held in memory, as read from and written to
// its file. Names compare without regard to letter case through folded copies
// kept beside the names as created, and every key is indexed by its folded
// path, so that a look-up costs one fold and one hash, however big the hive.
#pragma once

#include "platform/registry/registry.h"

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kvn::registry {

// A key path cut into its parts; empty parts (doubled, leading or trailing
// "\") are dropped, so "Software\KVN\" and "Software\KVN" are the same key.
std::vector<std::string_view> splitKeyPath(std::string_view path);

// A name as it is compared: every letter in lower case.
std::string foldName(std::string_view name);

struct StoredValue {
    std::string name; // as created; empty is the key's default value
    std::string folded;
    Value value;
    std::vector<std::string> comments; // comment lines of the file written just above it
};

struct HiveKey {
    std::string name; // as created; empty for the hive's root
    std::string folded;
    std::vector<std::string> comments;
    std::vector<StoredValue> values; // in the order they were created
    std::vector<std::unique_ptr<HiveKey>> children; // likewise

    const StoredValue* findValue(std::string_view foldedName) const;
    StoredValue* findValue(std::string_view foldedName);
};

class HiveTree {
public:
    HiveTree();
    HiveTree(HiveTree&&) noexcept = default;
    HiveTree& operator=(HiveTree&&) noexcept = default;

    const HiveKey& root() const { return *root_; }

    // The key at the path, or null; the empty path is the root.
    const HiveKey* find(std::string_view path) const;
    HiveKey* find(std::string_view path);

    // The key at the path, made with its missing parents, taking the case of
    // the parts as given for every key it makes.
    HiveKey& create(std::string_view path);

    // Removes the key and everything below it; false when it does not exist.
    // The root cannot be removed, only emptied.
    bool remove(std::string_view path);

    // Sets the value (replacing one of the same name, keeping its position
    // and the case it was created with).
    static void setValue(HiveKey& key, std::string_view name, Value value);
    static bool removeValue(HiveKey& key, std::string_view name);

    std::size_t keyCount() const { return index_.size(); }

    // Comment lines after the last key of the file.
    std::vector<std::string> trailingComments;

private:
    static std::string foldedPath(std::string_view path);
    void unindex(const HiveKey& key, const std::string& folded);

    std::unique_ptr<HiveKey> root_;
    std::unordered_map<std::string, HiveKey*> index_; // folded path -> key; "" is the root
};

} // namespace kvn::registry
