#include "app/status/program_status.h"

#include <cstdio>
#include <sstream>

#include "platform/time/clock.h"

namespace orvia {
namespace {

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (u < 0x20 || u == 0x7f) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

std::string JsonTime(int64_t localSeconds) {
    return localSeconds == 0 ? "null" : JsonString(DateTimeText(localSeconds, 'T'));
}

std::string Plural(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string CallerText(const LineStatus& line) {
    std::string caller = line.callerNumber;
    if (!line.callerName.empty())
        caller += (caller.empty() ? "" : " ") + line.callerName;
    return caller.empty() ? "an unknown caller" : caller;
}

std::string LineText(const LineStatus& line) {
    std::string text = "  " + line.name + " [line" + std::to_string(line.index) + "], device " +
                       std::to_string(line.device);
    if (!line.deviceName.empty())
        text += " \"" + line.deviceName + "\"";
    if (!line.deviceStatus.address.empty())
        text += " at " + line.deviceStatus.address;
    return text + ": " + FormatLineState(line) + "\n";
}

}  // namespace

std::string FormatDeliveryQueue(const DeliveryQueue& queue) {
    return Plural(queue.mail, "message", "messages") + " to mail, " +
           Plural(queue.upload, "message", "messages") + " to upload, " +
           Plural(queue.forwarding, "mailbox", "mailboxes") + " to call";
}

std::string FormatLevelControl(int waiting) {
    return Plural(waiting, "recording", "recordings") + " waiting";
}

std::string FormatLineState(const LineStatus& line) {
    std::string text;
    switch (line.phase) {
        case LinePhase::Closed:
            text += "closed (" + (line.closedReason.empty() ? "not open" : line.closedReason) + ")";
            break;
        case LinePhase::Idle:
            text += "idle since " + DateTimeText(line.since, ' ');
            break;
        case LinePhase::Ringing:
            text += "ringing with " + CallerText(line) + " since " + DateTimeText(line.since, ' ');
            break;
        case LinePhase::Calling:
            text += "calling out since " + DateTimeText(line.since, ' ');
            break;
        case LinePhase::Connected:
            text +=
                "connected with " + CallerText(line) + " since " + DateTimeText(line.since, ' ');
            break;
    }
    const RegistrationStatus& reg = line.deviceStatus.registration;
    switch (reg.state) {
        case RegistrationState::None:
            break;
        case RegistrationState::Registering:
            text += "; registering with " + reg.registrar;
            break;
        case RegistrationState::Registered:
            text += "; registered with " + reg.registrar;
            break;
        case RegistrationState::Failed:
            text += "; registration with " + reg.registrar + " failed (" + reg.detail +
                    "), next try at " + DateTimeText(reg.nextTry, ' ');
            break;
    }
    return text;
}

const char* LinePhaseName(LinePhase phase) {
    switch (phase) {
        case LinePhase::Closed:
            return "closed";
        case LinePhase::Idle:
            return "idle";
        case LinePhase::Ringing:
            return "ringing";
        case LinePhase::Calling:
            return "calling";
        case LinePhase::Connected:
            break;
    }
    return "connected";
}

const char* RegistrationStateName(RegistrationState state) {
    switch (state) {
        case RegistrationState::None:
            return "none";
        case RegistrationState::Registering:
            return "registering";
        case RegistrationState::Registered:
            return "registered";
        case RegistrationState::Failed:
            break;
    }
    return "failed";
}

std::string FormatStatusText(const ProgramStatus& status) {
    std::string text = "Orvia is running (pid " + std::to_string(status.pid) +
                       ") with the data in " + status.dataFolder + "\n";
    if (status.lines.empty())
        text += "Lines: none\n";
    else
        text += "Lines:\n";
    for (const LineStatus& line : status.lines)
        text += LineText(line);
    text += "Delivery: " + FormatDeliveryQueue(status.delivery);
    if (!status.lastDeliveryFailure.empty())
        text += "; last failure at " + DateTimeText(status.lastDeliveryFailureTime, ' ') + ": " +
                status.lastDeliveryFailure;
    text += "\nLevel control: " + FormatLevelControl(status.levelControlWaiting) + "\n";
    // Texts from callers and files reach a terminal: no control characters.
    for (char& c : text) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\n') || u == 0x7f)
            c = ' ';
    }
    return text;
}

std::string FormatStatusJson(const ProgramStatus& status) {
    std::ostringstream out;
    out << "{\"pid\":" << status.pid << ",\"dataFolder\":" << JsonString(status.dataFolder)
        << ",\"time\":" << JsonTime(status.now) << ",\"lines\":[";
    bool first = true;
    for (const LineStatus& line : status.lines) {
        const RegistrationStatus& reg = line.deviceStatus.registration;
        out << (first ? "" : ",") << "{\"index\":" << line.index
            << ",\"name\":" << JsonString(line.name) << ",\"device\":" << line.device
            << ",\"deviceName\":" << JsonString(line.deviceName)
            << ",\"address\":" << JsonString(line.deviceStatus.address)
            << ",\"state\":" << JsonString(LinePhaseName(line.phase))
            << ",\"since\":" << JsonTime(line.since)
            << ",\"callerNumber\":" << JsonString(line.callerNumber)
            << ",\"callerName\":" << JsonString(line.callerName)
            << ",\"closedReason\":" << JsonString(line.closedReason) << ",\"registration\":{"
            << "\"state\":" << JsonString(RegistrationStateName(reg.state))
            << ",\"registrar\":" << JsonString(reg.registrar)
            << ",\"detail\":" << JsonString(reg.detail) << ",\"nextTry\":" << JsonTime(reg.nextTry)
            << "}}";
        first = false;
    }
    out << "],\"delivery\":{\"mail\":" << status.delivery.mail
        << ",\"upload\":" << status.delivery.upload
        << ",\"forwarding\":" << status.delivery.forwarding << ",\"lastFailure\":";
    if (status.lastDeliveryFailure.empty())
        out << "null";
    else
        out << "{\"text\":" << JsonString(status.lastDeliveryFailure)
            << ",\"time\":" << JsonTime(status.lastDeliveryFailureTime) << "}";
    out << "},\"levelControl\":{\"waiting\":" << status.levelControlWaiting << "}}\n";
    return out.str();
}

}  // namespace orvia
