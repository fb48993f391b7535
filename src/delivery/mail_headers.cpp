#include "delivery/mail_headers_p.h"

#include <cstdio>
#include <ctime>
#include <random>

#include "platform/text/ascii_text.h"

namespace orvia {

std::string FormatMailDate(int64_t utcSeconds) {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t when = static_cast<std::time_t>(utcSeconds);
    std::tm fields{};
    if (::gmtime_r(&when, &fields) == nullptr)
        return "Thu, 01 Jan 1970 00:00:00 +0000";
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d +0000", kDays[fields.tm_wday],
                  fields.tm_mday, kMonths[fields.tm_mon], fields.tm_year + 1900, fields.tm_hour,
                  fields.tm_min, fields.tm_sec);
    return text;
}

std::string NewMessageId(std::string_view domain) {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    char id[64];
    std::snprintf(id, sizeof id, "%016llx.%lld", static_cast<unsigned long long>(random()),
                  static_cast<long long>(std::time(nullptr)));
    return "<" + std::string(id) + "@" + std::string(domain) + ">";
}

std::optional<std::string> EncodeHeaderText(std::string_view text) {
    bool plain = true;
    for (char c : text) {
        if (IsAsciiControl(c))
            return std::nullopt;
        if (!IsPrintableAscii(c))
            plain = false;
    }
    if (plain)
        return std::string(text);
    return "=?UTF-8?B?" + EncodeBase64(text) + "?=";
}

std::string NormalizeLineEnds(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

bool IsSevenBitText(std::string_view text) {
    std::size_t lineLength = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            lineLength = 0;
            ++i;
            continue;
        }
        if (c != '\t' && !IsPrintableAscii(c))
            return false;
        if (++lineLength > 998)
            return false;
    }
    return true;
}

std::string EncodeBase64(std::string_view data) {
    static const char* const kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((data.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < data.size(); i += 3) {
        const uint32_t v = (static_cast<unsigned char>(data[i]) << 16) |
                           (static_cast<unsigned char>(data[i + 1]) << 8) |
                           static_cast<unsigned char>(data[i + 2]);
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += kAlphabet[v & 63];
    }
    if (i < data.size()) {
        uint32_t v = static_cast<unsigned char>(data[i]) << 16;
        if (i + 1 < data.size())
            v |= static_cast<unsigned char>(data[i + 1]) << 8;
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += i + 1 < data.size() ? kAlphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

}  // namespace orvia
