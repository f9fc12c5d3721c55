#include "analysis/delivered_mail_ids.h"

#include "platform/core/utf8_text.h"

namespace kvn {

void DeliveredMailIds::append(std::string entryId)
{
    foldedIds_.insert(caseFoldKey(entryId));
    ids_.push_back(std::move(entryId));
}

bool DeliveredMailIds::contains(std::string_view entryId) const { return foldedIds_.count(caseFoldKey(entryId)) > 0; }

void DeliveredMailIds::clear()
{
    ids_.clear();
    foldedIds_.clear();
}

} // namespace kvn
