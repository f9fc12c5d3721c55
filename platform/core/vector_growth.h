// Growing a vector that grows an element or a few at a time and is
// large (records kept for days, a whole folder's listing): by half
// of what it holds rather than by doubling, so that at most a third of its
// storage stands empty, and a regrowth holds the old and the new storage
// together for no more than two and a half times the elements.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace kvn {

// Makes room for `size` elements: none is made when there is room already,
// else the storage grows by half, or to `size` when that is more.
template <typename T> void reserveFor(std::vector<T>& elements, std::size_t size)
{
    if (size <= elements.capacity())
        return;
    elements.reserve(std::max(size, elements.capacity() + elements.capacity() / 2 + 8));
}

// Makes room for one more element.
template <typename T> void reserveOneMore(std::vector<T>& elements) { reserveFor(elements, elements.size() + 1); }

} // namespace kvn
