// The server text of the settings ("host", "host:port", "[v6 address]:port")
// checked and turned into the authority part of a URL.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvia {

struct ServerAddress {
    std::string host;  // a name, an IPv4 address, or an IPv6 address without brackets
    int port = 0;

    // "host:port", with brackets around an IPv6 address.
    std::string Authority() const;
};

// Parses a server text; defaultPort when it names none. Blanks at both ends
// are ignored. Nothing but a host name or address and a port 1..65535 is
// accepted (no user part, path, query or control characters), so the text
// cannot change what the URL built from it points to.
std::optional<ServerAddress> ParseServerAddress(std::string_view text, int defaultPort);

}  // namespace orvia
