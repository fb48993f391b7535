#include "web/web_settings.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cstdlib>

#include "platform/text/ascii_text.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"

namespace orvia {
namespace {

int ReadRange(const std::string& file, const char* key, int def, int low, int high) {
    const int32_t value = ReadProfileInt(file, kWebSection, key, def);
    return value >= low && value <= high ? value : def;
}

std::vector<std::string> SplitNames(const std::string& text) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string::npos)
            comma = text.size();
        std::string name(TrimBlanks(std::string_view(text).substr(start, comma - start)));
        if (!name.empty())
            names.push_back(std::move(name));
        start = comma + 1;
    }
    return names;
}

std::optional<uint16_t> ParsePort(const std::string& text) {
    if (text.empty() || text.size() > 5 || !IsAsciiDigits(text))
        return std::nullopt;
    const long port = std::strtol(text.c_str(), nullptr, 10);
    if (port > 65535)
        return std::nullopt;
    return static_cast<uint16_t>(port);
}

}  // namespace

WebSettings ReadWebSettings() {
    const std::string& file = Store().SettingsFile();
    WebSettings settings;
    settings.enabled = ReadProfileBool(file, kWebSection, "enabled", false);
    settings.listen = std::string(TrimBlanks(ReadProfileString(file, kWebSection, "listen", "")));
    if (settings.listen.empty())
        settings.listen = kDefaultWebListen;
    settings.user = ReadProfileString(file, kWebSection, "user", "");
    settings.passwordHash = ReadProfileString(file, kWebSection, "passwordhash", "");
    settings.tlsCert = ReadProfileString(file, kWebSection, "tlscert", "");
    settings.tlsKey = ReadProfileString(file, kWebSection, "tlskey", "");
    settings.sessionMinutes = ReadRange(file, "sessionminutes", 60, 5, 1440);
    settings.mailboxes = SplitNames(ReadProfileString(file, kWebSection, "mailboxes", ""));
    settings.wrongSignInsPerHour = ReadRange(file, "wrongsigninsperhour", 10, 1, 20);
    settings.signInLockMinutes = ReadRange(file, "signinlockminutes", 15, 1, 1440);
    return settings;
}

std::optional<WebListenAddress> ParseWebListen(const std::string& text, std::string* error) {
    const auto fail = [&](const std::string& why) -> std::optional<WebListenAddress> {
        if (error != nullptr)
            *error = why;
        return std::nullopt;
    };
    WebListenAddress address;
    std::string host;
    std::string port;
    if (!text.empty() && text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string::npos || close + 1 >= text.size() || text[close + 1] != ':')
            return fail("\"" + text + "\" is not [address]:port");
        host = text.substr(1, close - 1);
        port = text.substr(close + 2);
    } else if (const std::size_t colon = text.rfind(':'); colon != std::string::npos) {
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
        if (host.find(':') != std::string::npos)
            return fail("\"" + text + "\": write an IPv6 address in brackets, [address]:port");
    } else {
        host = "127.0.0.1";
        port = text;
    }
    const std::optional<uint16_t> number = ParsePort(port);
    if (!number)
        return fail("\"" + text + "\" has no port number from 0 to 65535");
    if (host == "localhost")
        host = "127.0.0.1";
    unsigned char bytes[16] = {};
    if (::inet_pton(AF_INET, host.c_str(), bytes) == 1) {
        address.loopback = bytes[0] == 127;
    } else if (::inet_pton(AF_INET6, host.c_str(), bytes) == 1) {
        address.ipv6 = true;
        static const unsigned char kLoopback6[16] = {0, 0, 0, 0, 0, 0, 0, 0,
                                                     0, 0, 0, 0, 0, 0, 0, 1};
        address.loopback = std::equal(bytes, bytes + 16, kLoopback6);
    } else {
        return fail("\"" + host + "\" is not a numeric IPv4 or IPv6 address");
    }
    address.host = host;
    address.port = *number;
    return address;
}

std::string WebStartProblem(const WebSettings& settings) {
    if (settings.user.empty() || settings.passwordHash.empty())
        return "no user name or password is set: run `orvia web-password USER`";
    std::string why;
    const std::optional<WebListenAddress> address = ParseWebListen(settings.listen, &why);
    if (!address)
        return "[web] listen: " + why;
    if (settings.tlsCert.empty() != settings.tlsKey.empty())
        return "HTTPS needs both [web] tlscert and tlskey";
    if (!address->loopback && !settings.Https())
        return "it would listen on " + settings.listen +
               ", where other computers reach it, without HTTPS: passwords and messages would "
               "cross the network readable by anyone on the way. Set [web] tlscert and tlskey "
               "(a certificate and its key), or listen on 127.0.0.1";
    return "";
}

bool WebShowsMailbox(const WebSettings& settings, const std::string& mailboxName) {
    return settings.mailboxes.empty() ||
           std::find(settings.mailboxes.begin(), settings.mailboxes.end(), mailboxName) !=
               settings.mailboxes.end();
}

}  // namespace orvia
