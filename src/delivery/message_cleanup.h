// The hourly clean-up of old messages: the main window's timer 5 calls it to
// delete the messages of every mailbox that are older than settings
// "deletefiledays" (default 30; 0 or less means one day).
//
// Age is judged by the file time of the message's ".ini" file, not by its
// "datetime" key, in steps of 2^32 x 100 ns (about 429.5 s): the threshold
// is 202 steps a day (about 1.004 days), so a message goes a little after
// its days are up, never before.
//
// Thread: the main thread (the message list is the main window's).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orvia {

// Timer 5: first run after the main window is created, then hourly.
inline constexpr uint32_t kCleanUpFirstMs = 12000;
inline constexpr uint32_t kCleanUpEveryMs = 3600000;

// The main window's list of the shown mailbox's messages.
class MessageList {
public:
    virtual ~MessageList() = default;
    // Takes the message out of the list when it is shown there.
    virtual void RemoveMessage(const std::string& messageIni) = 0;
};

// Where the clean-up takes its times from, both in seconds since 1970 UTC
// (the file system's own time base).
class FileTimes {
public:
    virtual ~FileTimes() = default;
    virtual int64_t NowUtc() = 0;
    // The file's creation time (its birth time where the file system keeps
    // one, else its last modification); nothing when the file is gone.
    virtual std::optional<int64_t> CreationTimeUtc(const std::string& path) = 0;
};

// The system clock and the file system.
FileTimes& SystemFileTimes();

// True when a file created at createdUtc counts as older than days at nowUtc.
bool IsOlderThanDays(int64_t createdUtc, int64_t nowUtc, int32_t days);

// Deletes every message of the MailBoxes folder (each "*.ini" file not
// beginning with ".") that is older than "deletefiledays": its audio, then,
// when that is gone, its ".ini" file, and then takes it out of the list. A
// message whose audio cannot be deleted stays whole for the next run.
void CleanUpOldMessages(MessageList& list, FileTimes& times = SystemFileTimes());

}  // namespace orvia
