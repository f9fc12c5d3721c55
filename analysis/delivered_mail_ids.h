// DeliveredMailIds: the entry IDs of e-mails that the passes must not examine
// again (trusted e-mails the filter left unread in an inbox, and those inbox
// discovery found already seen before the last stop), in the order recorded.
// Not thread-safe: the engine lock guards it.
//
// Beside the IDs in their order, a set of their case-fold keys answers
// contains() without a scan, exactly as comparing with each ID would.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace kvn {

class DeliveredMailIds {
public:
    void append(std::string entryId);
    // Compared without regard to letter case.
    bool contains(std::string_view entryId) const;
    void clear();
    const std::vector<std::string>& ids() const { return ids_; }

private:
    // Looked up by views, so that a key folded into a buffer needs no string.
    struct KeyHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view key) const { return std::hash<std::string_view>{}(key); }
    };

    std::vector<std::string> ids_;
    std::unordered_set<std::string, KeyHash, std::equal_to<>> foldedIds_;
};

} // namespace kvn
