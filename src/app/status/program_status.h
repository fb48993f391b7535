// The status of the running program as one plain value: the lines with
// their calls and registrations, what waits for delivery and for level
// control, and where the data lives. MainDialog::Status() makes it on the
// main thread; `orvia status` asks the running instance for it over the
// single-instance socket, and any other view of a running instance shows
// the same value.
//
// Plain data; the formatters may run on any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/core/line_bank.h"
#include "delivery/delivery_queue.h"

namespace orvia {

struct ProgramStatus {
    int pid = 0;
    std::string dataFolder;
    int64_t now = 0;  // local date-time at which the status was taken
    std::vector<LineStatus> lines;
    DeliveryQueue delivery;
    std::string lastDeliveryFailure;  // empty: none since the start
    int64_t lastDeliveryFailureTime = 0;
    int levelControlWaiting = 0;  // recordings queued for level control
};

// "closed", "idle", "ringing", "calling", "connected".
const char* LinePhaseName(LinePhase phase);
// "none", "registering", "registered", "failed".
const char* RegistrationStateName(RegistrationState state);

// One line's state for people: "idle since 2026-12-10 06:33:42",
// "connected with 5551234 Jane Doe since ...", the registration after "; ".
std::string FormatLineState(const LineStatus& line);
// "2 messages to mail, 1 message to upload, 0 mailboxes to call".
std::string FormatDeliveryQueue(const DeliveryQueue& queue);
// "1 recording waiting".
std::string FormatLevelControl(int waiting);

// For people: a few lines of text.
std::string FormatStatusText(const ProgramStatus& status);
// For scripts and monitoring: one JSON object (times as local
// "YYYY-MM-DDTHH:MM:SS" without a zone, absent ones as null).
std::string FormatStatusJson(const ProgramStatus& status);

}  // namespace orvia
