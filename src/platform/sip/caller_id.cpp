#include "platform/sip/caller_id_p.h"

#include <algorithm>
#include <cctype>

namespace orvia::sip {
namespace {

constexpr size_t kCallerFieldChars = 31;  // what the line keeps of each field

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string PercentDecode(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int hi = HexValue(text[i + 1]);
            const int lo = HexValue(text[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string UriHost(const std::string& uri) {
    const size_t colon = uri.find(':');
    if (colon == std::string::npos)
        return {};
    std::string rest = uri.substr(colon + 1);
    const size_t at = rest.find('@');
    if (at != std::string::npos)
        rest = rest.substr(at + 1);
    return rest.substr(0, rest.find_first_of(":;?>"));
}

bool PrivacyHidesIdentity(const std::string& privacy) {
    std::string token;
    const std::string text = Lower(privacy) + ";";
    for (char c : text) {
        if (c == ';' || c == ',' || c == ' ' || c == '\t') {
            if (token == "id" || token == "user" || token == "header" || token == "critical")
                return true;
            token.clear();
        } else {
            token += c;
        }
    }
    return false;
}

// The value of a parameter in ";a=b;c=d" (lower case), empty when absent.
std::string ParamValue(const std::string& params, const std::string& name) {
    const std::string lower = Lower(params);
    size_t pos = 0;
    while ((pos = lower.find(';', pos)) != std::string::npos) {
        ++pos;
        const size_t end = lower.find(';', pos);
        const std::string item = Trim(lower.substr(pos, end - pos));
        const size_t eq = item.find('=');
        if (Trim(item.substr(0, eq)) == name)
            return eq == std::string::npos ? std::string("") : Trim(item.substr(eq + 1));
    }
    return {};
}

bool IsAnonymous(const NameAddress& address) {
    return Lower(UriUser(address.uri)) == "anonymous" ||
           Lower(Trim(address.displayName)) == "anonymous" ||
           Lower(UriHost(address.uri)) == "anonymous.invalid";
}

}  // namespace

std::string Printable(const std::string& text, size_t maxChars) {
    std::string out;
    for (unsigned char c : text) {
        if (out.size() >= maxChars)
            break;
        if (c >= 0x20 && c < 0x7F)
            out += static_cast<char>(c);
    }
    return out;
}

bool ParseNameAddress(const std::string& value, NameAddress* out) {
    *out = NameAddress();
    size_t i = value.find_first_not_of(" \t");
    if (i == std::string::npos)
        return false;
    if (value[i] == '"') {
        std::string name;
        ++i;
        while (i < value.size() && value[i] != '"') {
            if (value[i] == '\\' && i + 1 < value.size())
                ++i;
            name += value[i++];
        }
        if (i >= value.size())
            return false;  // unterminated quoted string
        out->displayName = name;
        ++i;
        const size_t open = value.find('<', i);
        if (open == std::string::npos)
            return false;
        i = open;
    } else {
        const size_t open = value.find('<', i);
        const size_t comma = value.find(',', i);
        if (open != std::string::npos && (comma == std::string::npos || open < comma)) {
            out->displayName = Trim(value.substr(i, open - i));
            i = open;
        }
    }
    if (value[i] == '<') {
        const size_t close = value.find('>', i);
        if (close == std::string::npos)
            return false;
        out->uri = Trim(value.substr(i + 1, close - i - 1));
        const size_t comma = value.find(',', close);
        out->params = Trim(value.substr(
            close + 1, comma == std::string::npos ? std::string::npos : comma - close - 1));
    } else {
        const size_t end = value.find_first_of(";,", i);
        out->uri = Trim(value.substr(i, end == std::string::npos ? std::string::npos : end - i));
        if (end != std::string::npos && value[end] == ';') {
            const size_t comma = value.find(',', end);
            out->params = Trim(
                value.substr(end, comma == std::string::npos ? std::string::npos : comma - end));
        }
    }
    return !out->uri.empty();
}

std::string UriUser(const std::string& uri) {
    const std::string lower = Lower(uri);
    if (lower.rfind("tel:", 0) == 0) {
        const std::string rest = uri.substr(4);
        return PercentDecode(rest.substr(0, rest.find(';')));
    }
    size_t start;
    if (lower.rfind("sip:", 0) == 0)
        start = 4;
    else if (lower.rfind("sips:", 0) == 0)
        start = 5;
    else
        return {};
    const size_t at = uri.find('@', start);
    if (at == std::string::npos)
        return {};
    std::string user = uri.substr(start, at - start);
    user = user.substr(0, user.find_first_of(";:"));  // user parameters, password
    return PercentDecode(user);
}

CallerInfo ParseCallerId(const IdentityHeaders& headers) {
    CallerInfo info;
    NameAddress identity;
    NameAddress from;
    const bool haveFrom = ParseNameAddress(headers.from, &from);
    bool fromRpid = false;
    bool found = ParseNameAddress(headers.assertedIdentity, &identity);
    if (!found) {
        found = ParseNameAddress(headers.remotePartyId, &identity);
        fromRpid = found;
    }
    if (!found) {
        identity = from;
        found = haveFrom;
    }

    bool blocked = PrivacyHidesIdentity(headers.privacy);
    if (fromRpid) {
        const std::string privacy = ParamValue(identity.params, "privacy");
        if (!privacy.empty() && privacy != "off")
            blocked = true;
    }
    if ((found && IsAnonymous(identity)) || (haveFrom && IsAnonymous(from)))
        blocked = true;
    if (blocked) {
        info.blocked = true;
        return info;
    }
    if (found) {
        info.number = Printable(UriUser(identity.uri), kCallerFieldChars);
        info.name = Printable(Trim(identity.displayName), kCallerFieldChars);
    }
    const std::string lowerNumber = Lower(info.number);
    if (info.number.empty() || lowerNumber == "unknown" || lowerNumber == "unavailable") {
        info.number.clear();
        info.outOfArea = true;
    }
    return info;
}

}  // namespace orvia::sip
