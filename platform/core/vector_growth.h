// Growing a vector that only ever grows by one element at a time and is
// held for long (records kept for days, a list of handled e-mails): by half
// of what it holds rather than by doubling, so that at most a third of its
// storage stands empty, and a regrowth holds the old and the new storage
// together for no more than two and a half times the elements.
#pragma once

#include <vector>

namespace kvn {

// Makes room for one more element.
template <typename T> void reserveOneMore(std::vector<T>& elements)
{
    if (elements.size() < elements.capacity())
        return;
    elements.reserve(elements.capacity() + elements.capacity() / 2 + 8);
}

} // namespace kvn
