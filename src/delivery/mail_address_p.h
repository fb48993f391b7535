// Recipient and sender addresses of the mails that delivery sends.
//
// An address is untrusted text (a mailbox file, a dialog): only a plain
// "local@domain" address in printable ASCII is ever put into an SMTP command
// or a header, so no address can add header lines, recipients or commands.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvia {

// Longest address accepted (the dialogs' address field).
inline constexpr std::size_t kMaxMailAddress = 259;

// The address as a mail system takes it: unchanged when it already names its
// transport (it contains a ":" anywhere), otherwise "SMTP:" and the text.
std::string TransportAddress(std::string_view address);

// The plain address to send to over SMTP: the transport address with a
// leading "SMTP:" (any case) taken off. Nothing for an address of another
// transport, or one that is not a plain mail address.
std::optional<std::string> SmtpRecipient(std::string_view address);

// True for "local@domain" with a local part of printable ASCII without
// blanks, quotes, angle brackets, parentheses, commas, semicolons, colons,
// backslashes or square brackets, and a domain of letters, digits, hyphens
// and dots.
bool IsPlainMailAddress(std::string_view address);

}  // namespace orvia
