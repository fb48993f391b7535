#include "platform/sip/sip_settings.h"

#include "platform/diagnostics/diagnostics.h"
#include "platform/text/ascii_text.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <utility>

namespace orvia::sip {
namespace {

// A user or host token: no spaces, no characters with a meaning in headers.
bool IsToken(const std::string& text) {
    if (text.empty() || !IsPrintableAscii(text))
        return false;
    return text.find_first_of(" <>\"@,;:\\/?") == std::string::npos;
}

bool IsNumericHost(const std::string& host) {
    unsigned char buf[16];
    return inet_pton(AF_INET, host.c_str(), buf) == 1 ||
           inet_pton(AF_INET6, host.c_str(), buf) == 1;
}

bool ParsePort(const std::string& text, uint16_t* port) {
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (value > 65535)
        return false;
    *port = static_cast<uint16_t>(value);
    return true;
}

// "host", "host:port", "[v6]" or "[v6]:port".
bool ParseHostPort(const std::string& text, std::string* host, uint16_t* port) {
    if (!text.empty() && text[0] == '[') {
        const size_t close = text.find(']');
        if (close == std::string::npos)
            return false;
        *host = text.substr(1, close - 1);
        const std::string rest = text.substr(close + 1);
        if (rest.empty())
            return true;
        return rest[0] == ':' && ParsePort(rest.substr(1), port);
    }
    const size_t colon = text.find(':');
    if (colon == std::string::npos) {
        *host = text;
        return true;
    }
    if (text.find(':', colon + 1) != std::string::npos) {  // a bare IPv6 address
        *host = text;
        return true;
    }
    *host = text.substr(0, colon);
    return ParsePort(text.substr(colon + 1), port);
}

// A server URI as the user may write it: "pbx.example.com", "host:5070",
// "sip:host;transport=tcp", and with TLS "sips:host". Returns the URI, its
// host[:port] and its host.
bool NormaliseServerUri(const std::string& key, const std::string& value, SipTransport transport,
                        std::string* uri, std::string* hostport, std::string* hostOnly,
                        std::string* error) {
    std::string rest = value;
    if (StartsWithNoCase(rest, "sip:")) {
        rest = rest.substr(4);
    } else if (StartsWithNoCase(rest, "sips:")) {
        if (transport != SipTransport::Tls) {
            *error = "\"" + key + "\": a sips: address needs \"transport\" tls";
            return false;
        }
        rest = rest.substr(5);
    }
    const size_t at = rest.find('@');  // "sip:user@host" names the host after '@'
    if (at != std::string::npos)
        rest = rest.substr(at + 1);
    const size_t semi = rest.find(';');
    const std::string params = semi == std::string::npos ? "" : rest.substr(semi);
    const std::string hp = rest.substr(0, semi);
    std::string host;
    uint16_t port = 0;
    if (hp.empty() || !IsPrintableAscii(value) ||
        value.find_first_of(" <>\"") != std::string::npos || !ParseHostPort(hp, &host, &port) ||
        host.empty()) {
        *error = "\"" + key + "\": \"" + value + "\" is not a SIP server address";
        return false;
    }
    *hostport = hp;
    *hostOnly = host;
    *uri = "sip:" + hp + params;
    if (transport != SipTransport::Udp &&
        AsciiLower(params).find("transport=") == std::string::npos)
        *uri += transport == SipTransport::Tcp ? ";transport=tcp" : ";transport=tls";
    return true;
}

// A value that names one of a few choices (without regard to case; empty
// names the first). expected lists them for the error ("udp, tcp or tls").
template <typename Choice>
bool ParseChoice(const std::string& key, const std::string& value,
                 std::initializer_list<std::pair<const char*, Choice>> choices,
                 const char* expected, Choice* out, std::string* error) {
    const std::string lower = AsciiLower(value);
    if (lower.empty()) {
        *out = choices.begin()->second;
        return true;
    }
    for (const auto& [name, choice] : choices) {
        if (lower == name) {
            *out = choice;
            return true;
        }
    }
    *error = "\"" + key + "\": \"" + lower + "\" is not " + expected;
    return false;
}

bool ParseBool(const std::string& key, const std::string& value, bool* out, std::string* error) {
    const std::string lower = AsciiLower(value);
    if (lower == "true" || lower == "yes" || lower == "1") {
        *out = true;
        return true;
    }
    if (lower == "false" || lower == "no" || lower == "0") {
        *out = false;
        return true;
    }
    *error = "\"" + key + "\": \"" + value + "\" is neither true nor false";
    return false;
}

// A file the line reads: an absolute path.
bool ParseFilePath(const std::string& key, const std::string& value, std::string* out,
                   std::string* error) {
    if (value.empty() || value[0] != '/') {
        *error = "\"" + key + "\": \"" + value + "\" is not an absolute file path";
        return false;
    }
    *out = value;
    return true;
}

}  // namespace

std::string SipDeviceSettings::AddressOfRecord() const {
    if (!domain.empty())
        return "sip:" + ContactUser() + "@" + domain;
    const bool v6 = listenHost.find(':') != std::string::npos;
    return "sip:" + ContactUser() + "@" + (v6 ? "[" + listenHost + "]" : listenHost) + ":" +
           std::to_string(listenPort);
}

std::string SipDeviceSettings::TransportParam() const {
    return transport == SipTransport::Udp ? std::string()
                                          : std::string(";transport=") + TransportName();
}

const char* SipDeviceSettings::TransportName() const {
    switch (transport) {
        case SipTransport::Tcp:
            return "tcp";
        case SipTransport::Tls:
            return "tls";
        case SipTransport::Udp:
            break;
    }
    return "udp";
}

std::vector<std::string> SipDeviceKeys() {
    return {"name",         "listen",     "transport",    "registrar",     "user",
            "authuser",     "password",   "displayname",  "outboundproxy", "dtmf",
            "ringinterval", "acceptfrom", "natkeepalive", "channels",      "tlsverify",
            "tlscert",      "tlskey",     "mediaenc"};
}

bool ParseSipDeviceSettings(const std::string& section, const TelephonySettings& settings,
                            SipDeviceSettings* out, std::string* error) {
    // From here on no event of the program shows the password, whatever
    // else is wrong with the section.
    RegisterSecret(SettingOf(settings, "password"));
    SipDeviceSettings s;
    s.section = section;
    // Printable ASCII only: the values end up in SIP headers.
    for (const auto& [key, value] : settings) {
        if (!IsPrintableAscii(value)) {
            *error = "\"" + key + "\" holds control characters";
            return false;
        }
    }
    auto get = [&](const char* key) { return std::string(TrimBlanks(SettingOf(settings, key))); };

    if (!ParseChoice(
            "transport", get("transport"),
            {{"udp", SipTransport::Udp}, {"tcp", SipTransport::Tcp}, {"tls", SipTransport::Tls}},
            "udp, tcp or tls", &s.transport, error))
        return false;
    if (s.transport == SipTransport::Tls)
        s.listenPort = 5061;

    const std::string listen = get("listen");
    if (!listen.empty()) {
        std::string host;
        uint16_t port = s.listenPort;
        if (!ParseHostPort(listen, &host, &port) || !IsNumericHost(host)) {
            *error = "\"listen\": \"" + listen + "\" is not an IP address and port";
            return false;
        }
        s.listenHost = host;
        s.listenPort = port;
    }

    s.user = get("user");
    if (!s.user.empty() && !IsToken(s.user)) {
        *error = "\"user\": \"" + s.user + "\" is not a SIP user name";
        return false;
    }
    s.authUser = get("authuser");
    if (s.authUser.empty())
        s.authUser = s.user;
    s.password = SettingOf(settings, "password");
    s.displayName = get("displayname");
    if (s.displayName.find_first_of("\"\\") != std::string::npos) {
        *error = "\"displayname\" may not hold quotes or backslashes";
        return false;
    }

    const std::string registrar = get("registrar");
    if (!registrar.empty()) {
        if (!NormaliseServerUri("registrar", registrar, s.transport, &s.registrar, &s.domain,
                                &s.serverHost, error))
            return false;
        if (s.user.empty()) {
            *error = "\"registrar\" needs a \"user\"";
            return false;
        }
    }
    const std::string proxy = get("outboundproxy");
    if (!proxy.empty()) {
        std::string hostport;
        if (!NormaliseServerUri("outboundproxy", proxy, s.transport, &s.outboundProxy, &hostport,
                                &s.serverHost, error))
            return false;
        if (AsciiLower(s.outboundProxy).find(";lr") == std::string::npos)
            s.outboundProxy += ";lr";
    }

    if (!ParseChoice("dtmf", get("dtmf"),
                     {{"auto", DtmfMode::Auto},
                      {"rfc4733", DtmfMode::Rfc4733},
                      {"rfc2833", DtmfMode::Rfc4733},
                      {"inband", DtmfMode::Inband},
                      {"info", DtmfMode::Info}},
                     "auto, rfc4733, inband or info", &s.dtmf, error))
        return false;

    const std::string ring = get("ringinterval");
    if (!ring.empty()) {
        char* end = nullptr;
        const double seconds = std::strtod(ring.c_str(), &end);
        if (end == ring.c_str() || *end != '\0' || !(seconds >= 0.05) || !(seconds <= 60)) {
            *error = "\"ringinterval\": \"" + ring + "\" is not a number of seconds (0.05 to 60)";
            return false;
        }
        s.ringIntervalMs = static_cast<int>(std::lround(seconds * 1000));
    }

    if (!s.acceptFrom.Parse(get("acceptfrom"), error))
        return false;

    s.natKeepaliveSeconds = s.registrar.empty() ? 0 : 25;
    const std::string keepalive = get("natkeepalive");
    if (!keepalive.empty()) {
        if (keepalive.size() > 5 ||
            keepalive.find_first_not_of("0123456789") != std::string::npos) {
            *error = "\"natkeepalive\": \"" + keepalive + "\" is not a number of seconds";
            return false;
        }
        s.natKeepaliveSeconds = std::atoi(keepalive.c_str());
    }

    const std::string channels = get("channels");
    if (!channels.empty()) {
        if (channels.size() > 2 || channels.find_first_not_of("0123456789") != std::string::npos ||
            std::atoi(channels.c_str()) < 1 || std::atoi(channels.c_str()) > kMaxSipChannels) {
            *error = "\"channels\": \"" + channels + "\" is not a number of calls (1 to " +
                     std::to_string(kMaxSipChannels) + ")";
            return false;
        }
        s.channels = std::atoi(channels.c_str());
    }

    const std::string verify = get("tlsverify");
    if (!verify.empty() && !ParseBool("tlsverify", verify, &s.tlsVerify, error))
        return false;
    const std::string cert = get("tlscert");
    const std::string key = get("tlskey");
    if (!cert.empty() && !ParseFilePath("tlscert", cert, &s.tlsCert, error))
        return false;
    if (!key.empty() && !ParseFilePath("tlskey", key, &s.tlsKey, error))
        return false;
    if (s.tlsCert.empty() != s.tlsKey.empty()) {
        *error = std::string("\"") + (s.tlsCert.empty() ? "tlscert" : "tlskey") +
                 "\" is missing: a TLS certificate needs its key and the key its certificate";
        return false;
    }
    if (s.transport == SipTransport::Tls && s.registrar.empty() && s.tlsCert.empty()) {
        *error =
            "\"tlscert\" is missing: a TLS line without a registrar takes calls only "
            "with a certificate (\"tlscert\" and \"tlskey\")";
        return false;
    }

    if (!ParseChoice("mediaenc", get("mediaenc"),
                     {{"none", MediaEncryption::None},
                      {"srtp", MediaEncryption::Srtp},
                      {"srtp-optional", MediaEncryption::SrtpOptional}},
                     "none, srtp or srtp-optional", &s.mediaEncryption, error))
        return false;

    s.name = get("name");
    if (s.name.empty())
        s.name = s.AddressOfRecord();
    *out = std::move(s);
    return true;
}

}  // namespace orvia::sip
