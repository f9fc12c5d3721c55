#include "analysis/delivered_mail_ids.h"

#include "platform/core/utf8_text.h"
#include "platform/core/vector_growth.h"

#include <algorithm>
#include <utility>

namespace kvn {

void DeliveredMailIds::append(std::string entryId)
{
    if ((ids_.size() + 1) * 2 > slots_.size()) {
        std::vector<Slot> old = std::exchange(slots_, std::vector<Slot>(std::max<std::size_t>(64, slots_.size() * 2)));
        for (const Slot& slot : old)
            if (slot.place != 0)
                index(slot.hash, slot.place - 1);
    }
    index(caseFoldHash(entryId), ids_.size());
    reserveOneMore(ids_);
    ids_.push_back(std::move(entryId));
}

void DeliveredMailIds::index(std::uint64_t hash, std::size_t place)
{
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = hash & mask;
    while (slots_[at].place != 0)
        at = (at + 1) & mask;
    slots_[at] = {hash, static_cast<std::uint32_t>(place + 1)};
}

bool DeliveredMailIds::contains(std::string_view entryId) const
{
    if (slots_.empty())
        return false;
    const std::uint64_t hash = caseFoldHash(entryId);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = hash & mask; slots_[at].place != 0; at = (at + 1) & mask) {
        if (slots_[at].hash == hash && equalsIgnoringCase(ids_[slots_[at].place - 1], entryId))
            return true;
    }
    return false;
}

void DeliveredMailIds::clear()
{
    ids_.clear();
    slots_.clear();
}

} // namespace kvn
