// The web view's settings: section "web" of settings.ini, read at each use
// (nothing is cached, so a new password or user takes effect at the next
// sign-in; the address, certificate and switch at the next start).
//
//   enabled        "true" starts the web view with the program (default false)
//   listen         host:port, [v6]:port or a port (default 127.0.0.1:8080);
//                  port 0 takes a free port (the program says which)
//   user           the user name of the sign-in
//   passwordhash   the password's Argon2id hash, set by `orvia web-password`
//   tlscert        PEM certificate (chain) file: HTTPS when set with tlskey
//   tlskey         PEM private key file
//   sessionminutes how long a sign-in lasts (default 60, 5 to 1440)
//   mailboxes      the mailboxes shown, comma separated (empty: all)
//   wrongsigninsperhour, signinlockminutes
//                  wrong sign-ins within an hour after which sign-in is
//                  refused, and for how long (defaults 10 and 15)
//
// Any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvia {

inline constexpr const char* kWebSection = "web";
inline constexpr const char* kDefaultWebListen = "127.0.0.1:8080";

struct WebSettings {
    bool enabled = false;
    std::string listen = kDefaultWebListen;
    std::string user;
    std::string passwordHash;
    std::string tlsCert;
    std::string tlsKey;
    int sessionMinutes = 60;
    std::vector<std::string> mailboxes;  // empty: all
    int wrongSignInsPerHour = 10;
    int signInLockMinutes = 15;

    bool Https() const { return !tlsCert.empty() || !tlsKey.empty(); }
};

WebSettings ReadWebSettings();

// A numeric listen address.
struct WebListenAddress {
    std::string host;  // numeric IPv4 or IPv6 address, without brackets
    uint16_t port = 0;
    bool ipv6 = false;
    bool loopback = false;  // 127.0.0.0/8 or ::1
};

// "127.0.0.1:8080", "[::1]:8080", "0.0.0.0:8080", "localhost:8080" (as
// 127.0.0.1) or "8080" (127.0.0.1). Nothing for anything else; *error says why.
std::optional<WebListenAddress> ParseWebListen(const std::string& text, std::string* error);

// Why the web view must not start with these settings, or empty when it may:
// no user or password hash, a listen address that does not parse, half of
// the certificate pair, or an address other computers reach without HTTPS.
std::string WebStartProblem(const WebSettings& settings);

// True when the mailbox is among those the web view shows.
bool WebShowsMailbox(const WebSettings& settings, const std::string& mailboxName);

}  // namespace orvia
