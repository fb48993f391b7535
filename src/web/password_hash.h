// The web view's password hash: libsodium's Argon2id in its self-describing
// text form ("$argon2id$v=19$m=...,t=...,p=...$salt$hash"), with a fresh
// random salt for every hash.
//
// Verifying takes tens of megabytes and a fraction of a second on purpose;
// one verification runs at a time in the process, so a flood of sign-ins
// cannot exhaust the memory.
//
// Any thread.
#pragma once

#include <optional>
#include <string>

namespace orvia {

// The hash of password; nothing when libsodium cannot start or is out of memory.
std::optional<std::string> HashPassword(const std::string& password);

// True when password is the one hash was made from. A hash that is not an
// Argon2id text (empty, cut, changed by hand) never matches.
bool VerifyPassword(const std::string& hash, const std::string& password);

// Compares two texts in a time that does not depend on where they differ;
// empty texts never match.
bool SameSecret(const std::string& a, const std::string& b);

// size random bytes as lower-case hexadecimal (2 x size characters).
std::string RandomHex(std::size_t size);

}  // namespace orvia
