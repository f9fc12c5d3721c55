#include "analysis/delivered_mail_ids.h"

#include "platform/core/utf8_text.h"

#include <algorithm>

namespace kvn {

bool DeliveredMailIds::contains(std::string_view entryId) const
{
    return std::any_of(
        ids_.begin(), ids_.end(), [&](const std::string& id) { return equalsIgnoringCase(id, entryId); });
}

} // namespace kvn
