// DeliveredMailIds: the entry IDs of e-mails that the passes must not examine
// again (trusted e-mails the filter left unread in an inbox, and those inbox
// discovery found already seen before the last stop), in the order recorded.
// Not thread-safe: the engine lock guards it.
//
// Beside the IDs in their order, an index of the hashes of their case-fold
// keys answers contains() without a scan, exactly as comparing with each ID
// would. It is one flat table, so that a miss (what a pass asks about nearly
// every new e-mail) costs one look into memory rather than a chain of them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
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
    // A key's hash and the place of its ID in ids_, plus one (0: no key).
    struct Slot {
        std::uint64_t hash = 0;
        std::uint32_t place = 0;
    };

    void index(std::uint64_t hash, std::size_t place);

    std::vector<std::string> ids_;
    std::vector<Slot> slots_; // open addressing: a power of two long, at most half full
};

} // namespace kvn
