#include "lists/list_entry.h"

#include "platform/core/utf8_text.h"

#include <utility>

namespace kvn {

ListEntry::ListEntry(std::int32_t kind_, std::string value_, std::string extra_, std::int32_t receivedCount_,
    std::string dateAdded_, std::string lastReceived_)
    : kind(kind_),
      value(std::move(value_)),
      extra(toLowerUtf8(extra_)),
      receivedCount(receivedCount_),
      dateAdded(std::move(dateAdded_)),
      lastReceived(std::move(lastReceived_))
{
}

} // namespace kvn
