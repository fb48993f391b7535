#include "engine/access_code.h"

#include <algorithm>
#include <cstdlib>

#include "engine/mailbox_files.h"
#include "platform/files/folder_listing.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"

namespace orvia {
namespace {

constexpr int64_t kCountingWindowSeconds = 3600;
// The times of the hour's wrong codes must fit in one INI value (258
// characters, eleven a time).
constexpr int kMaxPerHour = 20;
constexpr const char* kWrongCodeTimes = "wrongcodetimes";
constexpr const char* kLockedUntil = "accesslockeduntil";

int ReadLimit(std::string_view key, int def) {
    const int32_t value = ReadProfileInt(Store().SettingsFile(), "settings", key, def);
    return value >= 1 ? value : def;
}

// A decimal date-time; 0 when the text holds none.
int64_t ParseSeconds(std::string_view text) {
    const std::string owned(text);
    return std::strtoll(owned.c_str(), nullptr, 10);
}

// The attempts of the record that lie within the hour before now.
std::vector<int64_t> RecentAttempts(const AttemptRecord& record, int64_t now) {
    std::vector<int64_t> times;
    const std::string list = ReadProfileString(record.file, record.section, record.timesKey, "");
    std::size_t start = 0;
    while (start < list.size()) {
        std::size_t comma = list.find(',', start);
        if (comma == std::string::npos)
            comma = list.size();
        const int64_t when = ParseSeconds(std::string_view(list).substr(start, comma - start));
        if (when > now - kCountingWindowSeconds && when <= now)
            times.push_back(when);
        start = comma + 1;
    }
    return times;
}

AttemptRecord MailboxRecord(const std::string& mbxPath) {
    return {mbxPath, kMailboxSection, kWrongCodeTimes, kLockedUntil};
}

}  // namespace

AccessCodeLimits ReadAccessCodeLimits() {
    const AccessCodeLimits defaults;
    AccessCodeLimits limits;
    limits.perCall = ReadLimit("wrongcodespercall", defaults.perCall);
    limits.perHour = std::min(ReadLimit("wrongcodesperhour", defaults.perHour), kMaxPerHour);
    limits.lockMinutes = ReadLimit("accesslockminutes", defaults.lockMinutes);
    return limits;
}

bool IsAttemptLocked(const AttemptRecord& record, int64_t now) {
    return now < ParseSeconds(ReadProfileString(record.file, record.section, record.lockKey, "0"));
}

int RecentWrongAttempts(const AttemptRecord& record, int64_t now) {
    return static_cast<int>(RecentAttempts(record, now).size());
}

bool CountWrongAttempt(const AttemptRecord& record, int64_t now, int perHour, int lockMinutes) {
    std::vector<int64_t> times = RecentAttempts(record, now);
    times.push_back(now);
    if (static_cast<int64_t>(times.size()) >= std::min(perHour, kMaxPerHour)) {
        WriteProfileInt(record.file, record.section, record.lockKey,
                        now + static_cast<int64_t>(lockMinutes) * 60);
        DeleteProfileKey(record.file, record.section, record.timesKey);
        return true;
    }
    std::string list;
    for (int64_t when : times) {
        if (!list.empty())
            list += ',';
        list += std::to_string(when);
    }
    WriteProfileString(record.file, record.section, record.timesKey, list);
    return false;
}

bool IsAccessLocked(const std::string& mbxPath, int64_t now) {
    return IsAttemptLocked(MailboxRecord(mbxPath), now);
}

AccessAttempt TryAccessCode(std::string_view digits, int64_t now) {
    AccessAttempt attempt;
    std::vector<std::string> remote;
    std::vector<std::string> lockedMatches;
    const std::string& folder = Store().MailBoxes();
    for (const std::string& name : ListFolderFiles(folder, ".mbx")) {
        const std::string path = folder + name;
        if (!ReadProfileBool(path, kMailboxSection, "remoteaccess", false))
            continue;
        remote.push_back(path);
        if (ReadProfileString(path, kMailboxSection, "accesscode", "") != digits)
            continue;
        if (!IsAccessLocked(path, now)) {
            attempt.opened = path;
            return attempt;
        }
        lockedMatches.push_back(path);
    }
    attempt.matchedLocked = !lockedMatches.empty();
    attempt.charged = attempt.matchedLocked ? std::move(lockedMatches) : std::move(remote);
    return attempt;
}

bool CountWrongCode(const std::string& mbxPath, int64_t now, const AccessCodeLimits& limits) {
    return CountWrongAttempt(MailboxRecord(mbxPath), now, limits.perHour, limits.lockMinutes);
}

}  // namespace orvia
