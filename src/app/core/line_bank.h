// The telephone lines the main window owns.
//
// The line set-up (each configured "line%d" section becomes an open line
// with its own engine) belongs to the line subsystem; the main window only
// asks for it (timer 3), tears the lines down when it closes, and gives the
// first line to the forwarding scheduler. This interface is that seam, so the
// application core can be driven with scripted lines in tests.
//
// Main thread only.
#pragma once

#include <string>
#include <vector>

#include "delivery/forwarding_scheduler.h"
#include "line/line.h"
#include "platform/telephony/telephony.h"

namespace orvia {

class IVRCNotify;

struct LineStatus {
    int index = 0;             // n of the line's "line%d" section
    std::string name;          // "name" of the line's section
    int device = -1;           // the telephony device identifier
    std::string deviceName;    // the device's name; empty when unknown
    bool open = false;         // false: the device did not open
    std::string closedReason;  // why it did not open
    LinePhase phase = LinePhase::Closed;
    int64_t since = 0;  // local date-time at which the line entered its phase
    // The caller of a ringing or connected call.
    std::string callerNumber;
    std::string callerName;
    // The device's address and registration.
    LineDeviceStatus deviceStatus;
};

class LineBank {
public:
    virtual ~LineBank() = default;
    // Rebuilds every line from settings.ini (writing "state"/"restart" =
    // "false"); each line's engine reports to notify. Returns the number of
    // lines made: 0 when no line is configured and no device can answer.
    virtual int SetUp(IVRCNotify* notify) = 0;
    // Closes and destroys every line (each deletes its engine).
    virtual void Destroy() = 0;
    virtual int Count() const = 0;
    // The first line, for forwarding calls; null without lines.
    virtual ForwardingLine* FirstLine() = 0;
    virtual std::vector<LineStatus> Status() const = 0;
};

}  // namespace orvia
