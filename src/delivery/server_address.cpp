#include "delivery/server_address.h"

#include <algorithm>
#include <charconv>

#include "platform/text/ascii_text.h"

namespace orvia {
namespace {

constexpr std::size_t kMaxHostLength = 253;

bool IsHostNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_';
}

bool IsIpv6Char(char c) {
    return (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || (c >= '0' && c <= '9') || c == ':' ||
           c == '.';
}

bool AllOf(std::string_view text, bool (*test)(char)) {
    for (char c : text)
        if (!test(c))
            return false;
    return true;
}

std::optional<int> ParsePort(std::string_view text) {
    int port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || port < 1 ||
        port > 65535)
        return std::nullopt;
    return port;
}

}  // namespace

std::string ServerAddress::Authority() const {
    const bool v6 = host.find(':') != std::string::npos;
    return (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

std::optional<ServerAddress> ParseServerAddress(std::string_view text, int defaultPort) {
    text = TrimBlanks(text);
    ServerAddress address;
    address.port = defaultPort;
    std::string_view portText;
    if (!text.empty() && text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        address.host = std::string(text.substr(1, close - 1));
        const std::string_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':')
                return std::nullopt;
            portText = rest.substr(1);
            if (portText.empty())
                return std::nullopt;
        }
        if (address.host.empty() || !AllOf(address.host, IsIpv6Char))
            return std::nullopt;
    } else if (std::count(text.begin(), text.end(), ':') > 1) {
        // A bare IPv6 address: it cannot carry a port without brackets.
        address.host = std::string(text);
        if (!AllOf(address.host, IsIpv6Char))
            return std::nullopt;
    } else {
        const std::size_t colon = text.find(':');
        address.host = std::string(text.substr(0, colon));
        if (colon != std::string_view::npos) {
            portText = text.substr(colon + 1);
            if (portText.empty())
                return std::nullopt;
        }
        if (address.host.empty() || address.host.size() > kMaxHostLength ||
            !AllOf(address.host, IsHostNameChar) || address.host.front() == '-' ||
            address.host.front() == '.')
            return std::nullopt;
    }
    if (!portText.empty()) {
        const std::optional<int> port = ParsePort(portText);
        if (!port)
            return std::nullopt;
        address.port = *port;
    }
    if (address.port < 1 || address.port > 65535)
        return std::nullopt;
    return address;
}

}  // namespace orvia
