#include "delivery/message_cleanup.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <ctime>

#include "engine/mailbox_files.h"
#include "platform/files/folder_listing.h"
#include "platform/files/text_file.h"
#include "platform/thread/thread_affinity.h"
#include "store/profile_values.h"
#include "store/settings_store.h"

namespace orvia {
namespace {

// Seconds from 1 January 1601 (the file-time epoch) to 1 January 1970.
constexpr int64_t kFileTimeEpochOffset = 11644473600;
constexpr int64_t kFileTimeTicksPerSecond = 10000000;
// Steps of 2^32 file-time ticks that make up the threshold for one day.
constexpr int64_t kStepsPerDay = 202;

// The high 32 bits of the file time (100 ns ticks since 1601) of a UTC time;
// times outside the file-time range are held at its ends.
int64_t FileTimeHigh(int64_t utcSeconds) {
    constexpr int64_t kLastSecond = INT64_MAX / kFileTimeTicksPerSecond;
    const int64_t seconds =
        std::clamp<int64_t>(utcSeconds, -kFileTimeEpochOffset, kLastSecond - kFileTimeEpochOffset) +
        kFileTimeEpochOffset;
    return static_cast<int64_t>(
        static_cast<uint64_t>(seconds) * static_cast<uint64_t>(kFileTimeTicksPerSecond) >> 32);
}

class SystemTimes : public FileTimes {
public:
    int64_t NowUtc() override { return static_cast<int64_t>(std::time(nullptr)); }

    std::optional<int64_t> CreationTimeUtc(const std::string& path) override {
        struct statx st {};
        if (::statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME | STATX_MTIME, &st) != 0)
            return std::nullopt;
        if ((st.stx_mask & STATX_BTIME) != 0)
            return st.stx_btime.tv_sec;
        return st.stx_mtime.tv_sec;
    }
};

}  // namespace

FileTimes& SystemFileTimes() {
    static SystemTimes times;
    return times;
}

bool IsOlderThanDays(int64_t createdUtc, int64_t nowUtc, int32_t days) {
    // In 64 bits: a huge number of days keeps everything instead of wrapping
    // round to a small threshold.
    const int64_t threshold = std::max<int64_t>(days, 1) * kStepsPerDay;
    return FileTimeHigh(createdUtc) + threshold < FileTimeHigh(nowUtc);
}

void CleanUpOldMessages(MessageList& list, FileTimes& times) {
    ORVIA_ASSERT_MAIN_THREAD();
    const int32_t days = ReadProfileInt(Store().SettingsFile(), "settings", "deletefiledays", 30);
    const int64_t now = times.NowUtc();
    const std::string& folder = Store().MailBoxes();
    for (const std::string& name : ListFolderFiles(folder, ".ini")) {
        const std::string messageIni = folder + name;
        const std::optional<int64_t> created = times.CreationTimeUtc(messageIni);
        if (!created || !IsOlderThanDays(*created, now, days))
            continue;
        if (!RemoveFileIfPresent(MessageAudioPath(messageIni)) || !RemoveFileIfPresent(messageIni))
            continue;
        list.RemoveMessage(messageIni);
    }
}

}  // namespace orvia
