#include "platform/diagnostics/diagnostic_sinks.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/files/text_file.h"
#include "platform/time/clock.h"

namespace orvia {
namespace {

std::string Numbered(const std::string& path, int n) {
    return path + "." + std::to_string(n);
}

}  // namespace

const char* JournalPriorityPrefix(DiagnosticLevel level) {
    switch (level) {
        case DiagnosticLevel::Error:
            return "<3>";
        case DiagnosticLevel::Warning:
            return "<4>";
        case DiagnosticLevel::Info:
            break;
    }
    return "<6>";
}

bool IsJournalStream(int fd) {
    const char* stream = std::getenv("JOURNAL_STREAM");
    if (stream == nullptr || *stream == '\0')
        return false;
    unsigned long long device = 0;
    unsigned long long inode = 0;
    if (std::sscanf(stream, "%llu:%llu", &device, &inode) != 2)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return false;
    return static_cast<unsigned long long>(st.st_dev) == device &&
           static_cast<unsigned long long>(st.st_ino) == inode;
}

StandardErrorSink::Style StandardErrorSink::DetectStyle() {
    return IsJournalStream(2) ? Style::Journal : Style::Plain;
}

std::string StandardErrorSink::Line(const DiagnosticEvent& event) const {
    const std::string prefix =
        style_ == Style::Journal ? JournalPriorityPrefix(event.level) : "orvia: ";
    return prefix + FormatDiagnostic(event) + "\n";
}

void StandardErrorSink::Write(const DiagnosticEvent& event) {
    // Error < Warning < Info in importance order.
    if (static_cast<int>(event.level) <= static_cast<int>(least_))
        WriteFully(fd_, Line(event));
}

EventsFileSink::EventsFileSink(std::string path, Limits limits)
    : path_(std::move(path)), limits_(limits) {}

EventsFileSink::~EventsFileSink() {
    CloseFile();
}

std::string EventsFileSink::Line(const DiagnosticEvent& event) {
    const LocalFields t = BreakDown(event.when);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d ", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return stamp + FormatDiagnostic(event) + "\n";
}

bool EventsFileSink::OpenFile() {
    if (fd_ >= 0)
        return true;
    // Non-blocking, so a FIFO put in the file's place cannot stall the
    // program; anything but a regular file is refused.
    const int fd = ::open(
        path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return false;
    }
    // A file left with a wider mode by someone else is made private again.
    if ((st.st_mode & 0777) != 0600)
        (void)::fchmod(fd, 0600);
    fd_ = fd;
    size_ = static_cast<uint64_t>(st.st_size);
    return true;
}

void EventsFileSink::CloseFile() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    size_ = 0;
}

void EventsFileSink::Rotate() {
    CloseFile();
    if (limits_.keepOld <= 0) {
        ::unlink(path_.c_str());
        return;
    }
    ::unlink(Numbered(path_, limits_.keepOld).c_str());
    for (int n = limits_.keepOld - 1; n >= 1; --n)
        ::rename(Numbered(path_, n).c_str(), Numbered(path_, n + 1).c_str());
    ::rename(path_.c_str(), Numbered(path_, 1).c_str());
}

void EventsFileSink::Write(const DiagnosticEvent& event) {
    const std::string line = Line(event);
    bool ok = OpenFile();
    if (ok && size_ > 0 && size_ + line.size() > limits_.maxBytes) {
        Rotate();
        ok = OpenFile();
    }
    if (ok && WriteFully(fd_, line)) {
        size_ += line.size();
        return;
    }
    if (!failureSaid_) {
        failureSaid_ = true;
        const std::string text = "orvia: cannot write the program events file " + path_ + ": " +
                                 std::strerror(errno) + "\n";
        WriteFully(2, text);
    }
    CloseFile();
}

}  // namespace orvia
