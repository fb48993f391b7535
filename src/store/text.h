// Small text helpers shared by the store's parsers.
#pragma once

#include <string>
#include <string_view>

namespace orvia {

// Removes blanks (space, tab, CR, LF) at both ends.
std::string_view TrimBlanks(std::string_view text);
// ASCII comparison without regard to case.
bool EqualsNoCase(std::string_view a, std::string_view b);
std::string ToLowerAscii(std::string_view text);

}  // namespace orvia
