#include "lists/address_positions.h"

#include "platform/core/utf8_text.h"

#include <algorithm>

namespace kvn {

void AddressPositions::rebuild(const std::vector<ListEntry>& addresses)
{
    clear();
    slotsByKey_.reserve(addresses.size());
    slotPositions_.reserve(addresses.size());
    for (std::size_t i = 0; i < addresses.size(); ++i)
        slotsByKey_[caseFoldKey(addresses[i].extra)].push_back(takeSlot(static_cast<int>(i)));
    size_ = addresses.size();
}

void AddressPositions::clear()
{
    slotsByKey_.clear();
    slotPositions_.clear();
    freeSlots_.clear();
    size_ = 0;
}

int AddressPositions::takeSlot(int position)
{
    if (freeSlots_.empty()) {
        slotPositions_.push_back(position);
        return static_cast<int>(slotPositions_.size() - 1);
    }
    const int slot = freeSlots_.back();
    freeSlots_.pop_back();
    slotPositions_[static_cast<std::size_t>(slot)] = position;
    return slot;
}

void AddressPositions::inserted(int position, std::string_view address)
{
    // A free slot holds -1 and so never moves.
    for (int& at : slotPositions_)
        at += at >= position ? 1 : 0;
    slotsByKey_[caseFoldKey(address)].push_back(takeSlot(position));
    ++size_;
}

void AddressPositions::removed(int position, std::string_view address)
{
    const auto found = slotsByKey_.find(caseFoldKey(address));
    if (found != slotsByKey_.end()) {
        std::vector<int>& slots = found->second;
        const auto slot = std::find_if(slots.begin(), slots.end(),
            [&](int candidate) { return slotPositions_[static_cast<std::size_t>(candidate)] == position; });
        if (slot != slots.end()) {
            slotPositions_[static_cast<std::size_t>(*slot)] = -1;
            freeSlots_.push_back(*slot);
            slots.erase(slot);
            if (slots.empty())
                slotsByKey_.erase(found);
            --size_;
        }
    }
    for (int& at : slotPositions_)
        at -= at > position ? 1 : 0;
}

std::vector<int> AddressPositions::positionsOf(std::string_view address) const
{
    std::vector<int> positions;
    const auto found = slotsByKey_.find(caseFoldKey(address));
    if (found == slotsByKey_.end())
        return positions;
    for (const int slot : found->second)
        positions.push_back(slotPositions_[static_cast<std::size_t>(slot)]);
    std::sort(positions.begin(), positions.end());
    return positions;
}

} // namespace kvn
