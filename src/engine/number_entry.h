// The checks of a completed number entry: the range ("varlimit") and the list
// of accepted or refused numbers ("varlimitlistenabled"), read from the OGM
// file when the entry completes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvia {

// Most digits an entry holds.
inline constexpr std::size_t kMaxEnteredDigits = 19;
// Most bytes of a list file that are read.
inline constexpr std::size_t kNumberListFileMax = 32766;

// True when digits begin with one of the comma-separated items of list
// (items trimmed of blanks, empty items skipped): the list "12, 345" holds
// 12, 123 and 3456 but not 1 or 34.
bool ListContains(std::string_view list, std::string_view digits);

// True when the digits pass the OGM's range and list checks.
bool NumberAccepted(const std::string& ogmFile, std::string_view digits);

}  // namespace orvia
