// ASCII text helpers for parsers of settings, protocols and file names: case
// without regard to the locale, blanks, printable and control characters,
// digits and hexadecimal values. Bytes above 0x7F are never letters, digits,
// blanks or printable here.
//
// Any thread: pure functions.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvia {

// Space, tab, CR or LF.
constexpr bool IsAsciiBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
constexpr bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}
// 0x00-0x1F and DEL (0x7F).
constexpr bool IsAsciiControl(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F;
}
// 0x20 (space) to 0x7E.
constexpr bool IsPrintableAscii(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x20 && u < 0x7F;
}
constexpr char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
constexpr char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The text with A-Z turned into a-z (AsciiUpper: a-z into A-Z).
std::string AsciiLower(std::string_view text);
std::string AsciiUpper(std::string_view text);

// Comparisons without regard to ASCII case.
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool EndsWithNoCase(std::string_view text, std::string_view suffix);

// The text without blanks at either end.
std::string_view TrimBlanks(std::string_view text);

// True when the text is not empty and holds only the digits 0-9.
bool IsAsciiDigits(std::string_view text);
// True when every character of the text is printable ASCII (also when empty).
bool IsPrintableAscii(std::string_view text);
// True when the text holds a control character.
bool HasAsciiControl(std::string_view text);
// The printable ASCII characters of the text, the others left out, at most
// maxChars of them.
std::string PrintableAscii(std::string_view text, std::size_t maxChars);

// The value of a hexadecimal digit (0-9, a-f, A-F); -1 for any other character.
int HexValue(char c);
// Decodes "%XX" escapes; a "%" not followed by two hexadecimal digits stays
// as it is. With plusIsSpace, "+" becomes a blank (HTML form encoding).
std::string PercentDecode(std::string_view text, bool plusIsSpace = false);

}  // namespace orvia
