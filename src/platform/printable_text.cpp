#include "platform/printable_text.h"

#include <cstdint>

namespace orvia {
namespace {

// Bytes of a well-formed UTF-8 sequence starting at text[at] for a printable
// character (no C1 controls), or 0.
std::size_t PrintableUtf8Length(std::string_view text, std::size_t at) {
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
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        code = code << 6 | (next & 0x3F);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    const bool invalid = (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF;
    const bool control = code >= 0x80 && code <= 0x9F;
    return overlong || invalid || control ? 0 : length;
}

}  // namespace

std::string PrintableText(std::string_view text, std::size_t maxBytes) {
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        const auto c = static_cast<unsigned char>(text[at]);
        std::size_t length = 0;
        if (c >= 0x20 && c < 0x7F)
            length = 1;
        else if (c >= 0x80)
            length = PrintableUtf8Length(text, at);
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
