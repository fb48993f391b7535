// `orvia web-password [USER]`: sets the web view's user name (when given) and
// password in section "web" of settings.ini. The password is asked twice;
// on a terminal it is not echoed, and from a pipe it is read as two lines.
// Only its hash is stored (password_hash.h); the password itself is written
// nowhere.
//
// Exit status: 0 when set, 1 when refused (no user, passwords that differ
// or are too short, settings.ini not writable), 2 for a wrong command line.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace orvia {

inline constexpr std::size_t kMinWebPasswordLength = 8;

// args are what follows "web-password"; inputFd is the descriptor behind in
// (its echo is switched off while a terminal is read), -1 when none.
int WebPasswordCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                       std::ostream& err, int inputFd);

// True for a user name the sign-in accepts: 1 to 64 bytes of printable
// UTF-8 without blanks at either end.
bool IsUsableWebUser(const std::string& user);

}  // namespace orvia
