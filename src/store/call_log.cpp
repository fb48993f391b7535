#include "store/call_log.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <mutex>

#include "platform/files/file_modes.h"
#include "platform/files/file_open.h"
#include "platform/files/text_file.h"
#include "platform/text/ascii_text.h"
#include "platform/time/clock.h"
#include "store/settings_store.h"

namespace orvia {
namespace {

// The fixed third line of both log kinds' headers.
constexpr const char* kHeaderLine3 = "Times are the local time of the answering machine.\r\n";

std::mutex& LogMutex() {
    static std::mutex mutex;
    return mutex;
}

// Opens an existing log for appending, or creates it with its header. The
// entry goes out in one write so a concurrent writer never splits it.
void Append(const std::string& path, const std::string& header, const std::string& entry) {
    std::lock_guard<std::mutex> guard(LogMutex());
    // Regular files only: a FIFO there would hold the writer until someone
    // reads it.
    int fd = OpenRegularFile(path, O_WRONLY | O_APPEND | O_NOFOLLOW);
    std::string data;
    if (fd < 0) {
        if (errno != ENOENT)
            return;
        // Logs name the callers: private to the owner.
        fd = OpenRegularFile(path, O_WRONLY | O_APPEND | O_CREAT | O_EXCL,
                             CreationMode(FileAccess::Private));
        if (fd < 0)
            return;
        data = header;
    }
    // Another process appending at the same moment waits for this entry.
    ::flock(fd, LOCK_EX);
    data += entry;
    WriteFully(fd, data);
    ::close(fd);
}

// An entry is one line: control characters in its text (a line break in a
// call variable a plug-in set, an escape sequence) become blanks, so no text
// can forge entries of its own or reach a terminal that shows the log.
std::string OneLine(std::string_view text) {
    std::string line(text);
    for (char& c : line) {
        if (IsAsciiControl(c) && c != '\t')
            c = ' ';
    }
    return line;
}

}  // namespace

std::string DailyLogPath(int64_t localSeconds) {
    const LocalFields f = BreakDown(localSeconds);
    char name[64];
    std::snprintf(name, sizeof name, "Log %.2d-%.2d-%.2d.txt", f.year % 100, f.month, f.day);
    return Store().Logs() + name;
}

void WriteDailyLog(std::string_view text) {
    const int64_t now = LocalNow();
    const LocalFields f = BreakDown(now);
    char header[96];
    std::snprintf(header, sizeof header, "Orvia Log for 20%.2d-%.2d-%.2d\r\nCreated by Orvia\r\n",
                  f.year % 100, f.month, f.day);
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "\r\n%.2d-%.2d-%.2d ", f.hour, f.minute, f.second);
    Append(DailyLogPath(now), std::string(header) + kHeaderLine3,
           std::string(prefix) + OneLine(text));
}

void WriteSpecialLog(const std::string& path, std::string_view text) {
    Append(path, std::string("Log\r\nCreated by Orvia\r\n") + kHeaderLine3, "\r\n" + OneLine(text));
}

}  // namespace orvia
