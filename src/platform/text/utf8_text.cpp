#include "platform/text/utf8_text.h"

#include <cstdint>

#include "platform/text/ascii_text.h"

namespace orvia {
namespace {

bool IsContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Bytes of a well-formed UTF-8 sequence starting at text[at] for a printable
// character above ASCII (no C1 controls), or 0.
std::size_t PrintableSequenceLength(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    uint32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const char next = text[at + i];
        if (!IsContinuation(next))
            return 0;
        code = code << 6 | (static_cast<unsigned char>(next) & 0x3F);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    const bool invalid = (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF;
    const bool control = code >= 0x80 && code <= 0x9F;
    return overlong || invalid || control ? 0 : length;
}

}  // namespace

std::string CutUtf8(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes)
        return std::string(text);
    std::size_t end = maxBytes;
    while (end > 0 && IsContinuation(text[end]))
        --end;
    return std::string(text.substr(0, end));
}

std::string PrintableUtf8(std::string_view text, std::size_t maxBytes) {
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = 0;
        if (IsPrintableAscii(text[at]))
            length = 1;
        else if (static_cast<unsigned char>(text[at]) >= 0x80)
            length = PrintableSequenceLength(text, at);
        if (length == 0) {
            ++at;
            continue;
        }
        if (out.size() + length > maxBytes)
            break;
        out.append(text.substr(at, length));
        at += length;
    }
    return out;
}

}  // namespace orvia
