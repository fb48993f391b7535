// The sinks the running program installs for its own events
// (platform/diagnostics.h): standard error and the program events file.
//
// Standard error: one line per event. When the program runs under systemd
// with standard error connected to the journal, each line starts with the
// syslog priority in angle brackets ("<3>" error, "<4>" warning, "<6>" info),
// which the journal takes as the entry's priority, so `journalctl -p err`
// and `systemctl status` show them as such; the journal adds the time and
// the unit. On a terminal or any other stream the line starts with
// "orvia: ".
//
// The program events file: one line per event with its local date and time,
// appended to a file in the Logs folder that only its owner may read (mode
// 0600). When the next line would take it past its size limit, it is
// renamed to "<file>.1" (an older "<file>.1" to "<file>.2", and so on up to
// the number kept; the oldest is dropped) and a new file begins. A file
// that cannot be opened or written loses the line (the event still went to
// standard error); the first such failure is said once on standard error.
//
// Write is called under the diagnostics lock, one event at a time.
#pragma once

#include <cstdint>
#include <string>

#include "platform/diagnostics/diagnostics.h"

namespace orvia {

// The program events file's name in the Logs folder.
inline constexpr const char* kEventsFileName = "orvia-events.log";

// "<3>", "<4>" or "<6>".
const char* JournalPriorityPrefix(DiagnosticLevel level);

// True when the file descriptor is the stream the journal gave this process:
// JOURNAL_STREAM ("device:inode") names the same file as fd.
bool IsJournalStream(int fd);

class StandardErrorSink : public DiagnosticSink {
public:
    enum class Style {
        Plain,    // "orvia: error [sip] ..."
        Journal,  // "<3>error [sip] ..."
    };

    // fd is where lines go (standard error unless a test says otherwise);
    // events less important than least are left out.
    explicit StandardErrorSink(Style style, int fd = 2,
                               DiagnosticLevel least = DiagnosticLevel::Info)
        : style_(style), fd_(fd), least_(least) {}
    // Journal when standard error is the journal's stream, else Plain.
    static Style DetectStyle();

    void Write(const DiagnosticEvent& event) override;

    // The line written for an event, with its line end.
    std::string Line(const DiagnosticEvent& event) const;

private:
    Style style_;
    int fd_;
    DiagnosticLevel least_;
};

class EventsFileSink : public DiagnosticSink {
public:
    struct Limits {
        uint64_t maxBytes = 1024 * 1024;  // size at which the file is rotated
        int keepOld = 3;                  // rotated files kept beside it
    };

    explicit EventsFileSink(std::string path) : EventsFileSink(std::move(path), Limits{}) {}
    EventsFileSink(std::string path, Limits limits);
    ~EventsFileSink() override;
    EventsFileSink(const EventsFileSink&) = delete;
    EventsFileSink& operator=(const EventsFileSink&) = delete;

    void Write(const DiagnosticEvent& event) override;

    // "2026-12-10 06:33:42 error [sip] text\n".
    static std::string Line(const DiagnosticEvent& event);

private:
    bool OpenFile();
    void Rotate();
    void CloseFile();

    std::string path_;
    Limits limits_;
    int fd_ = -1;
    uint64_t size_ = 0;
    bool failureSaid_ = false;
};

}  // namespace orvia
