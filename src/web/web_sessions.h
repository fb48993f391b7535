// The web view's signed-in sessions, kept in memory only (a restart signs
// everyone out). A session is named by a random 256-bit token carried in
// its cookie, holds its own CSRF token for the forms, and ends at a fixed
// time after the sign-in. It also remembers the user and password hash it
// was opened with: a new password (or user) ends every session at once.
//
// Times are seconds of a monotonic clock, given by the caller.
//
// Any thread (one lock).
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace orvia {

struct WebSession {
    std::string token;  // the cookie's value
    std::string csrf;   // the forms' token
    std::string user;
    std::string passwordHash;
    int64_t expires = 0;
};

class WebSessions {
public:
    // At most this many sessions live at once; the one ending first makes
    // room for a new one.
    static constexpr std::size_t kMaxSessions = 32;

    WebSession Open(const std::string& user, const std::string& passwordHash, int64_t now,
                    int64_t lifetimeSeconds);
    // The live session of the token; expired ones are forgotten on the way.
    std::optional<WebSession> Find(const std::string& token, int64_t now);
    void Close(const std::string& token);

private:
    std::mutex mutex_;
    std::map<std::string, WebSession> sessions_;
};

}  // namespace orvia
