// DeliveredMailIds: the entry IDs of e-mails that the passes must not examine
// again (trusted e-mails the filter left unread in an inbox, and those inbox
// discovery found already seen before the last stop), in the order recorded.
// Not thread-safe: the engine lock guards it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kvn {

class DeliveredMailIds {
public:
    void append(std::string entryId) { ids_.push_back(std::move(entryId)); }
    // Compared without regard to letter case.
    bool contains(std::string_view entryId) const;
    void clear() { ids_.clear(); }
    const std::vector<std::string>& ids() const { return ids_; }

private:
    std::vector<std::string> ids_;
};

} // namespace kvn
