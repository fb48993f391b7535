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

// Where a count of wrong attempts and its lock are kept: an INI file's
// section with the key of the attempts' date-times (the last hour's, comma
// separated) and the key of the date-time the lock ends. The mailbox's
// access codes use the mailbox file; the web view's sign-in uses settings.ini.
struct AttemptRecord {
    std::string file;
    std::string section;
    std::string timesKey;
    std::string lockKey;
};

// True while the record's lock lasts at now.
bool IsAttemptLocked(const AttemptRecord& record, int64_t now);
// Counts a wrong attempt at now; once perHour (at most 20) fell within the
// hour, locks for lockMinutes and returns true. The lock is written before
// the count is cleared: a failure in between leaves it locked, never open
// with a cleared count.
bool CountWrongAttempt(const AttemptRecord& record, int64_t now, int perHour, int lockMinutes);
// Wrong attempts counted within the hour before now.
int RecentWrongAttempts(const AttemptRecord& record, int64_t now);

// True while the mailbox refuses remote access after too many wrong codes.
bool IsAccessLocked(const std::string& mbxPath, int64_t now);

// Counts a wrong code at now against the mailbox; true when it locks the
// mailbox (its hour's count reached the limit).
bool CountWrongCode(const std::string& mbxPath, int64_t now, const AccessCodeLimits& limits);

}  // namespace orvia
