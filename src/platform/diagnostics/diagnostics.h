// The program's own events: what went wrong (or right) in the program itself,
// as opposed to the call logs of the Logs folder, which record calls.
//
// Any subsystem reports an event with a level and its subsystem's name; the
// program installs the sinks that carry events out (standard error, the
// program events file). With no sink installed an event goes to standard
// error, so nothing reported is ever lost silently.
//
// Secrets (passwords of the SIP, SMTP and FTP accounts) are registered once
// they are read; every registered secret is masked in an event's text before
// any sink sees it, as a second guard behind never putting one in a text.
//
// Any thread: events are handed to the sinks one at a time under one lock.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvia {

enum class DiagnosticLevel { Error, Warning, Info };

// "error", "warning", "info".
const char* DiagnosticLevelName(DiagnosticLevel level);

struct DiagnosticEvent {
    DiagnosticLevel level = DiagnosticLevel::Info;
    std::string subsystem;  // "sip", "line", "delivery", "engine", "audio", ...
    std::string text;       // one line, secrets masked
    int64_t when = 0;       // local date-time (seconds), see platform/time/clock.h
};

class DiagnosticSink {
public:
    virtual ~DiagnosticSink() = default;
    // Called with the sinks' lock held: must not report events itself.
    virtual void Write(const DiagnosticEvent& event) = 0;
};

// Reports one event. Line breaks and other control characters in the text
// become blanks so that one event is one line wherever it goes.
void Report(DiagnosticLevel level, std::string_view subsystem, std::string_view text);
inline void ReportError(std::string_view subsystem, std::string_view text) {
    Report(DiagnosticLevel::Error, subsystem, text);
}
inline void ReportWarning(std::string_view subsystem, std::string_view text) {
    Report(DiagnosticLevel::Warning, subsystem, text);
}
inline void ReportInfo(std::string_view subsystem, std::string_view text) {
    Report(DiagnosticLevel::Info, subsystem, text);
}

// Masks value ("****") in every later event. Empty values are ignored.
void RegisterSecret(std::string_view value);

// Adds a sink for its lifetime. While at least one sink is installed, events
// go to the installed sinks only.
class ScopedDiagnosticSink {
public:
    explicit ScopedDiagnosticSink(DiagnosticSink& sink);
    ~ScopedDiagnosticSink();
    ScopedDiagnosticSink(const ScopedDiagnosticSink&) = delete;
    ScopedDiagnosticSink& operator=(const ScopedDiagnosticSink&) = delete;

private:
    DiagnosticSink& sink_;
};

// The text of an event as one line of standard error or of the events file:
// "error [sip] Line 1: the listen address 127.0.0.1:5060 is in use".
std::string FormatDiagnostic(const DiagnosticEvent& event);

}  // namespace orvia
