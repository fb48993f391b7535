// ASCII text helpers for the platform layers' settings and protocol parsing.
#pragma once

#include <algorithm>
#include <cctype>
#include <string>

namespace orvia {

// The text with A-Z turned into a-z.
inline std::string AsciiLower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The text without blanks (space, tab, CR, LF) at either end.
inline std::string TrimAsciiBlanks(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

}  // namespace orvia
