// The caller id of an incoming SIP call, from its identity headers.
//
// The identity is taken from P-Asserted-Identity, else Remote-Party-ID, else
// From: the number is the user part of the address (percent escapes decoded;
// for a tel: URI the number itself), the name its display name. Only
// printable characters are kept (ASCII and well-formed UTF-8, so "Jürgen"
// stays whole) and each field is cut to 31 bytes without splitting a
// character. An "anonymous" identity, a Privacy header asking to hide the
// identity ("id", "user", "header", "critical") or a Remote-Party-ID with a
// privacy parameter other than "off" gives the blocked flag and empty
// fields; a call without any usable number is out of area.
//
// Threads: pure functions.
#pragma once

#include <string>

#include "platform/telephony/telephony.h"

namespace orvia::sip {

// The raw values of the headers that carry an identity (empty when absent).
struct IdentityHeaders {
    std::string assertedIdentity;  // P-Asserted-Identity
    std::string remotePartyId;     // Remote-Party-ID
    std::string from;              // From
    std::string privacy;           // Privacy
};

CallerInfo ParseCallerId(const IdentityHeaders& headers);

// One address of a header: display name, URI and the parameters after it.
struct NameAddress {
    std::string displayName;
    std::string uri;
    std::string params;  // ";tag=...;privacy=full" (after the URI)
};

// The first address of a header value ("Name" <sip:u@h>;p, <sip:u@h>, sip:u@h;p);
// false when there is none.
bool ParseNameAddress(const std::string& value, NameAddress* out);

// The user part of a sip:, sips: or tel: URI, percent escapes decoded; empty
// when the URI has none.
std::string UriUser(const std::string& uri);

}  // namespace orvia::sip
