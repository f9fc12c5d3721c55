#include "lists/address_positions.h"

#include "platform/core/utf8_text.h"

#include <algorithm>
#include <climits>
#include <functional>

namespace kvn {

std::uint64_t AddressPositions::hashOf(std::string_view address) { return caseFoldHash(address); }

auto AddressPositions::slotsOf(std::uint64_t hash) const
    -> std::pair<std::vector<HashedSlot>::const_iterator, std::vector<HashedSlot>::const_iterator>
{
    const auto first = std::lower_bound(hashedSlots_.begin(), hashedSlots_.end(), HashedSlot{hash, INT32_MIN});
    auto last = first;
    while (last != hashedSlots_.end() && last->hash == hash)
        ++last;
    return {first, last};
}

void AddressPositions::rebuild(const std::vector<ListEntry>& addresses)
{
    clear();
    hashedSlots_.reserve(addresses.size());
    slotPositions_.reserve(addresses.size());
    for (std::size_t i = 0; i < addresses.size(); ++i)
        hashedSlots_.push_back({hashOf(addresses[i].extra), takeSlot(static_cast<int>(i))});
    std::sort(hashedSlots_.begin(), hashedSlots_.end());
    size_ = addresses.size();
}

void AddressPositions::clear()
{
    hashedSlots_.clear();
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
    const HashedSlot added{hashOf(address), takeSlot(position)};
    hashedSlots_.insert(std::upper_bound(hashedSlots_.begin(), hashedSlots_.end(), added), added);
    ++size_;
}

void AddressPositions::removed(int position, std::string_view address)
{
    const auto [first, last] = slotsOf(hashOf(address));
    const auto found = std::find_if(first, last,
        [&](const HashedSlot& hashed) { return slotPositions_[static_cast<std::size_t>(hashed.slot)] == position; });
    if (found != last) {
        slotPositions_[static_cast<std::size_t>(found->slot)] = -1;
        freeSlots_.push_back(found->slot);
        hashedSlots_.erase(found);
        --size_;
    }
    for (int& at : slotPositions_)
        at -= at > position ? 1 : 0;
}

std::vector<int> AddressPositions::positionsOf(std::string_view address) const
{
    std::vector<int> positions;
    const auto [first, last] = slotsOf(hashOf(address));
    for (auto at = first; at != last; ++at)
        positions.push_back(slotPositions_[static_cast<std::size_t>(at->slot)]);
    std::sort(positions.begin(), positions.end());
    return positions;
}

} // namespace kvn
