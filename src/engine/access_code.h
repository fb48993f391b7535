// Access codes entered by telephone, and the limits that keep them from being
// guessed.
//
// An entered code opens the first mailbox, in the order the folder search
// returns "*.mbx" files, whose "remoteaccess" is true, whose "accesscode"
// equals the digits exactly (an empty code matches an empty entry) and which
// is not locked. Any other entry is a wrong code:
//   - a caller who enters "wrongcodespercall" wrong codes (settings.ini,
//     section "settings"; default 3) in one call is sent away;
//   - a wrong code counts against the mailboxes it could have been meant for:
//     the locked mailboxes whose code it is, else every mailbox that allows
//     remote access. Once a mailbox has counted "wrongcodesperhour" (default
//     10, at most 20) within an hour, it refuses remote access for "accesslockminutes"
//     (default 15), as if its code were wrong; the caller is not told.
// The lock state lives in the mailbox file, section "mbx", so a restart does
// not reset it: "wrongcodetimes" (the date-times of the wrong codes of the
// last hour, comma separated) and "accesslockeduntil" (the date-time the lock
// ends; 0 or missing: not locked). Date-times are local seconds (clock.h).
//
// Main thread (the engines).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvia {

struct AccessCodeLimits {
    int perCall = 3;       // "wrongcodespercall"
    int perHour = 10;      // "wrongcodesperhour"
    int lockMinutes = 15;  // "accesslockminutes"
};

// The limits in settings.ini; a value below 1 (or no number) is the default.
AccessCodeLimits ReadAccessCodeLimits();

struct AccessAttempt {
    // The ".mbx" path of the mailbox the code opens; empty for a wrong code.
    std::string opened;
    // A wrong code: the ".mbx" paths it counts against.
    std::vector<std::string> charged;
    // A wrong code that is the code of a locked mailbox.
    bool matchedLocked = false;
};

// What the entered digits open at date-time now. Changes no file.
AccessAttempt TryAccessCode(std::string_view digits, int64_t now);

// True while the mailbox refuses remote access after too many wrong codes.
bool IsAccessLocked(const std::string& mbxPath, int64_t now);

// Counts a wrong code at now against the mailbox; true when it locks the
// mailbox (its hour's count reached the limit).
bool CountWrongCode(const std::string& mbxPath, int64_t now, const AccessCodeLimits& limits);

}  // namespace orvia
