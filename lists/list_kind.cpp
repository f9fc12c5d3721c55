#include "lists/list_kind.h"

namespace kvn {

std::string_view listKindName(ListKind kind)
{
    switch (kind) {
    case ListKind::Address:
        return "e-mail address";
    case ListKind::Domain:
        return "domain";
    case ListKind::Word:
        return "word/expression";
    case ListKind::FileType:
        return "attached file type";
    case ListKind::IpRange:
        return "IP range";
    case ListKind::Country:
        return "country";
    }
    return "unknown";
}

} // namespace kvn
