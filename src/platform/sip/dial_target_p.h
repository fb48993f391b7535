// The SIP URI a number is dialled or transferred to.
//
// A number that already is a SIP URI ("sip:alice@example.com") is used as it
// is, and "alice@example.com" becomes "sip:alice@example.com". Anything else
// is a user at the device's domain: a telephone number (digits, "*", "#",
// "+", with the separators " -.()" and the dialling pauses "," removed, "#"
// escaped) or a user name of letters, digits and "._~+-". The transport
// parameter follows the device's transport.
//
// Threads: pure function.
#pragma once

#include <optional>
#include <string>

namespace orvia::sip {

// Empty when the number is not usable: control characters or characters that
// cannot stand in a URI, or no domain for a plain number.
std::optional<std::string> BuildDialTarget(const std::string& number, const std::string& domain,
                                           const std::string& transportParam);

}  // namespace orvia::sip
