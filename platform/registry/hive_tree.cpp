// The in-memory hive: key creation, removal and look-up by folded path.
#include "platform/registry/hive_tree.h"

#include "platform/core/utf8_text.h"

#include <algorithm>
#include <cassert>

namespace kvn::registry {

std::vector<std::string_view> splitKeyPath(std::string_view path)
{
    std::vector<std::string_view> parts;
    while (!path.empty()) {
        const std::size_t slash = path.find('\\');
        const std::string_view part = path.substr(0, slash);
        if (!part.empty())
            parts.push_back(part);
        if (slash == std::string_view::npos)
            break;
        path.remove_prefix(slash + 1);
    }
    return parts;
}

std::string foldName(std::string_view name)
{
    const bool ascii
        = std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii)
        return toLowerUtf8(name);
    // The common case without the Unicode tables: registry names are mostly ASCII.
    std::string folded(name);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

const StoredValue* HiveKey::findValue(std::string_view foldedName) const
{
    for (const StoredValue& value : values) {
        if (value.folded == foldedName)
            return &value;
    }
    return nullptr;
}

StoredValue* HiveKey::findValue(std::string_view foldedName)
{
    return const_cast<StoredValue*>(static_cast<const HiveKey*>(this)->findValue(foldedName));
}

HiveTree::HiveTree() : root_(std::make_unique<HiveKey>()) { index_.emplace(std::string(), root_.get()); }

std::string HiveTree::foldedPath(std::string_view path)
{
    std::string joined;
    for (const std::string_view part : splitKeyPath(path)) {
        if (!joined.empty())
            joined += '\\';
        joined += part;
    }
    return foldName(joined);
}

const HiveKey* HiveTree::find(std::string_view path) const
{
    const auto found = index_.find(foldedPath(path));
    return found == index_.end() ? nullptr : found->second;
}

HiveKey* HiveTree::find(std::string_view path)
{
    return const_cast<HiveKey*>(static_cast<const HiveTree*>(this)->find(path));
}

HiveKey& HiveTree::create(std::string_view path)
{
    HiveKey* key = root_.get();
    std::string folded;
    for (const std::string_view part : splitKeyPath(path)) {
        if (!folded.empty())
            folded += '\\';
        folded += foldName(part);
        if (const auto found = index_.find(folded); found != index_.end()) {
            key = found->second;
            continue;
        }
        auto child = std::make_unique<HiveKey>();
        child->name = std::string(part);
        child->folded = foldName(part);
        HiveKey* made = child.get();
        key->children.push_back(std::move(child));
        index_.emplace(folded, made);
        key = made;
    }
    return *key;
}

void HiveTree::unindex(const HiveKey& key, const std::string& folded)
{
    index_.erase(folded);
    for (const auto& child : key.children)
        unindex(*child, folded + '\\' + child->folded);
}

bool HiveTree::remove(std::string_view path)
{
    const std::string folded = foldedPath(path);
    HiveKey* key = find(path);
    if (key == nullptr)
        return false;
    if (key == root_.get()) {
        for (const auto& child : key->children)
            unindex(*child, child->folded);
        key->children.clear();
        key->values.clear();
        key->comments.clear();
        return true;
    }
    const std::size_t slash = folded.find_last_of('\\');
    HiveKey* parent = slash == std::string::npos ? root_.get() : index_.at(folded.substr(0, slash));
    unindex(*key, folded);
    auto& siblings = parent->children;
    const auto position
        = std::find_if(siblings.begin(), siblings.end(), [&](const auto& child) { return child.get() == key; });
    assert(position != siblings.end() && "an indexed key is always a child of its parent");
    siblings.erase(position);
    return true;
}

void HiveTree::setValue(HiveKey& key, std::string_view name, Value value)
{
    std::string folded = foldName(name);
    if (StoredValue* existing = key.findValue(folded)) {
        existing->value = std::move(value);
        return;
    }
    key.values.push_back(StoredValue{std::string(name), std::move(folded), std::move(value), {}});
}

bool HiveTree::removeValue(HiveKey& key, std::string_view name)
{
    const std::string folded = foldName(name);
    const auto position = std::find_if(
        key.values.begin(), key.values.end(), [&](const StoredValue& value) { return value.folded == folded; });
    if (position == key.values.end())
        return false;
    key.values.erase(position);
    return true;
}

} // namespace kvn::registry
