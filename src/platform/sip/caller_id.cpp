#include "platform/sip/caller_id_p.h"

#include "platform/text/ascii_text.h"

#include "platform/text/utf8_text.h"

namespace orvia::sip {
namespace {

constexpr size_t kCallerFieldBytes = 31;  // what the line keeps of each field

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
    const std::string text = AsciiLower(privacy) + ";";
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
    const std::string lower = AsciiLower(params);
    size_t pos = 0;
    while ((pos = lower.find(';', pos)) != std::string::npos) {
        ++pos;
        const size_t end = lower.find(';', pos);
        const std::string item(TrimBlanks(lower.substr(pos, end - pos)));
        const size_t eq = item.find('=');
        if (TrimBlanks(item.substr(0, eq)) == name)
            return eq == std::string::npos ? std::string()
                                           : std::string(TrimBlanks(item.substr(eq + 1)));
    }
    return {};
}

bool IsAnonymous(const NameAddress& address) {
    return AsciiLower(UriUser(address.uri)) == "anonymous" ||
           AsciiLower(TrimBlanks(address.displayName)) == "anonymous" ||
           AsciiLower(UriHost(address.uri)) == "anonymous.invalid";
}

}  // namespace

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
            out->displayName = TrimBlanks(value.substr(i, open - i));
            i = open;
        }
    }
    if (value[i] == '<') {
        const size_t close = value.find('>', i);
        if (close == std::string::npos)
            return false;
        out->uri = TrimBlanks(value.substr(i + 1, close - i - 1));
        const size_t comma = value.find(',', close);
        out->params = TrimBlanks(value.substr(
            close + 1, comma == std::string::npos ? std::string::npos : comma - close - 1));
    } else {
        const size_t end = value.find_first_of(";,", i);
        out->uri =
            TrimBlanks(value.substr(i, end == std::string::npos ? std::string::npos : end - i));
        if (end != std::string::npos && value[end] == ';') {
            const size_t comma = value.find(',', end);
            out->params = TrimBlanks(
                value.substr(end, comma == std::string::npos ? std::string::npos : comma - end));
        }
    }
    return !out->uri.empty();
}

std::string UriUser(const std::string& uri) {
    const std::string lower = AsciiLower(uri);
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
        info.number = PrintableUtf8(UriUser(identity.uri), kCallerFieldBytes);
        info.name = PrintableUtf8(TrimBlanks(identity.displayName), kCallerFieldBytes);
    }
    const std::string lowerNumber = AsciiLower(info.number);
    if (info.number.empty() || lowerNumber == "unknown" || lowerNumber == "unavailable") {
        info.number.clear();
        info.outOfArea = true;
    }
    return info;
}

}  // namespace orvia::sip
