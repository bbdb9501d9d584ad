// The host's order of texts for its sorted lists: byte order, given as 1
// when a sorts before b, -1 after, 0 when equal.
#pragma once

#include <cstring>

namespace tools {

inline int text_order(const void* a, const void* b) {
    const int c = std::strcmp(static_cast<const char*>(a), static_cast<const char*>(b));
    return c < 0 ? 1 : c > 0 ? -1 : 0;
}

} // namespace tools
