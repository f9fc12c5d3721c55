#include "analysis/delivered_mail_ids.h"

#include "platform/core/utf8_text.h"

#include <algorithm>

namespace kvn {

void DeliveredMailIds::append(std::string entryId)
{
    foldedIds_.insert(caseFoldKey(entryId));
    ids_.push_back(std::move(entryId));
}

bool DeliveredMailIds::contains(std::string_view entryId) const
{
    // Entry IDs are short ASCII names: their key is folded on the stack.
    constexpr std::size_t shortId = 128;
    if (entryId.size() <= shortId
        && std::all_of(entryId.begin(), entryId.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        char key[shortId];
        std::transform(entryId.begin(), entryId.end(), key,
            [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; });
        return foldedIds_.find(std::string_view(key, entryId.size())) != foldedIds_.end();
    }
    return foldedIds_.find(caseFoldKey(entryId)) != foldedIds_.end();
}

void DeliveredMailIds::clear()
{
    ids_.clear();
    foldedIds_.clear();
}

} // namespace kvn
