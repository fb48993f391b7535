// Text from outside (caller ids, names in protocol headers) made safe to show
// and store: only printable characters are kept, ASCII and well-formed UTF-8
// above it, so a name keeps its accented letters while control characters,
// broken sequences and C1 controls are dropped.
//
// Threads: pure function.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvia {

// The printable characters of text, cut to at most maxBytes without
// splitting a character.
std::string PrintableText(std::string_view text, std::size_t maxBytes);

}  // namespace orvia
