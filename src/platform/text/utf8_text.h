// UTF-8 text helpers: cutting to a byte limit without splitting a character,
// and keeping only the printable characters of untrusted text.
//
// Any thread: pure functions.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvia {

// The text cut to at most maxBytes, stepping back to the start of a
// character that the limit would split.
std::string CutUtf8(std::string_view text, std::size_t maxBytes);

// The printable characters of the text: printable ASCII and well-formed
// UTF-8 sequences of printable characters above it (no C1 controls, no
// surrogates, no overlong forms); everything else is left out. The result is
// cut to at most maxBytes without splitting a character.
std::string PrintableUtf8(std::string_view text, std::size_t maxBytes);

}  // namespace orvia
