#include "platform/sip/dial_target_p.h"

#include <algorithm>
#include <cctype>

#include "platform/text/ascii_text.h"

namespace orvia::sip {
namespace {

constexpr size_t kMaxTargetChars = 256;

bool IsUriSafe(const std::string& text) {
    if (text.empty() || text.size() > kMaxTargetChars)
        return false;
    return std::all_of(text.begin(), text.end(), [](unsigned char c) {
        return c > 0x20 && c < 0x7F && c != '<' && c != '>' && c != '"' && c != '\\';
    });
}

// A telephone number as dialled: digits and keys, separators, pauses.
std::optional<std::string> PhoneUser(const std::string& text) {
    std::string user;
    bool hasKey = false;
    for (char c : text) {
        if (IsAsciiDigit(c) || c == '*') {
            user += c;
            hasKey = true;
        } else if (c == '#') {
            user += "%23";
            hasKey = true;
        } else if (c == '+' && user.empty()) {
            user += c;
        } else if (c == ' ' || c == '-' || c == '.' || c == '(' || c == ')' || c == ',' ||
                   c == '!') {
            continue;  // separators, pauses and hook flashes: nothing to dial on SIP
        } else {
            return std::nullopt;
        }
    }
    if (!hasKey)
        return std::nullopt;
    return user;
}

bool IsUserName(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '.' || c == '_' || c == '~' || c == '+' || c == '-';
    });
}

}  // namespace

std::optional<std::string> BuildDialTarget(const std::string& number, const std::string& domain,
                                           const std::string& transportParam) {
    // A transfer's dial string starts with the hook flash and pause a
    // telephone exchange needs ("!," by default); on SIP the REFER is the
    // transfer itself, so they are left out before the address is read.
    std::string_view dialled = TrimBlanks(number);
    while (!dialled.empty() && (dialled.front() == '!' || dialled.front() == ',' ||
                                dialled.front() == ' ' || dialled.front() == '\t'))
        dialled.remove_prefix(1);
    const std::string text(dialled);
    if (StartsWithNoCase(text, "sip:") || StartsWithNoCase(text, "sips:")) {
        if (!IsUriSafe(text) || text.find(':') + 1 >= text.size())
            return std::nullopt;
        return text;
    }
    if (text.find('@') != std::string::npos) {
        if (!IsUriSafe(text) || text.front() == '@' || text.back() == '@')
            return std::nullopt;
        return "sip:" + text + transportParam;
    }
    if (domain.empty())
        return std::nullopt;
    std::optional<std::string> user = PhoneUser(text);
    if (!user && IsUserName(text))
        user = text;
    if (!user || user->size() > kMaxTargetChars)
        return std::nullopt;
    return "sip:" + *user + "@" + domain + transportParam;
}

}  // namespace orvia::sip
