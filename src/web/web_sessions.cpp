#include "web/web_sessions.h"

#include <algorithm>

#include "web/password_hash.h"

namespace orvia {
namespace {

constexpr std::size_t kTokenBytes = 32;

}  // namespace

WebSession WebSessions::Open(const std::string& user, const std::string& passwordHash, int64_t now,
                             int64_t lifetimeSeconds) {
    WebSession session;
    session.token = RandomHex(kTokenBytes);
    session.csrf = RandomHex(kTokenBytes);
    session.user = user;
    session.passwordHash = passwordHash;
    session.expires = now + lifetimeSeconds;
    const std::lock_guard<std::mutex> guard(mutex_);
    for (auto it = sessions_.begin(); it != sessions_.end();)
        it = it->second.expires <= now ? sessions_.erase(it) : std::next(it);
    if (sessions_.size() >= kMaxSessions) {
        const auto first = std::min_element(
            sessions_.begin(), sessions_.end(),
            [](const auto& a, const auto& b) { return a.second.expires < b.second.expires; });
        sessions_.erase(first);
    }
    sessions_[session.token] = session;
    return session;
}

std::optional<WebSession> WebSessions::Find(const std::string& token, int64_t now) {
    if (token.size() != kTokenBytes * 2)
        return std::nullopt;
    const std::lock_guard<std::mutex> guard(mutex_);
    const auto it = sessions_.find(token);
    if (it == sessions_.end())
        return std::nullopt;
    if (it->second.expires <= now) {
        sessions_.erase(it);
        return std::nullopt;
    }
    return it->second;
}

void WebSessions::Close(const std::string& token) {
    const std::lock_guard<std::mutex> guard(mutex_);
    sessions_.erase(token);
}

}  // namespace orvia
