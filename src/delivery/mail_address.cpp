#include "delivery/mail_address.h"

#include "platform/text/ascii_text.h"

namespace orvia {
namespace {

constexpr std::string_view kSmtpPrefix = "SMTP:";

bool IsLocalPartChar(char c) {
    if (c <= ' ' || c >= 0x7f)
        return false;
    switch (c) {
        case '"':
        case '<':
        case '>':
        case '(':
        case ')':
        case ',':
        case ';':
        case ':':
        case '\\':
        case '[':
        case ']':
        case '@':
            return false;
        default:
            return true;
    }
}

bool IsDomainChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.';
}

}  // namespace

std::string TransportAddress(std::string_view address) {
    if (address.find(':') != std::string_view::npos)
        return std::string(address);
    return std::string(kSmtpPrefix) + std::string(address);
}

std::optional<std::string> SmtpRecipient(std::string_view address) {
    const std::string transport = TransportAddress(address);
    if (transport.size() < kSmtpPrefix.size() ||
        !EqualsNoCase(std::string_view(transport).substr(0, kSmtpPrefix.size()), kSmtpPrefix))
        return std::nullopt;
    std::string plain = transport.substr(kSmtpPrefix.size());
    if (!IsPlainMailAddress(plain))
        return std::nullopt;
    return plain;
}

bool IsPlainMailAddress(std::string_view address) {
    if (address.size() > kMaxMailAddress)
        return false;
    const std::size_t at = address.find('@');
    if (at == std::string_view::npos || at == 0 || at + 1 >= address.size())
        return false;
    const std::string_view local = address.substr(0, at);
    const std::string_view domain = address.substr(at + 1);
    for (char c : local)
        if (!IsLocalPartChar(c))
            return false;
    for (char c : domain)
        if (!IsDomainChar(c))
            return false;
    return domain.front() != '.' && domain.back() != '.' && domain.front() != '-' &&
           domain.find("..") == std::string_view::npos;
}

}  // namespace orvia
