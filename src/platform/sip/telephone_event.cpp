#include "platform/sip/telephone_event_p.h"

#include "platform/text/ascii_text.h"

namespace orvia::sip {
namespace {

// A signal value: one key character, or an event code "0".."15".
std::optional<char> SignalDigit(const std::string& value) {
    const std::string v(TrimBlanks(value));
    if (v.empty() || v.size() > 2)
        return std::nullopt;
    if (v.size() == 2) {
        if (!IsAsciiDigits(v))
            return std::nullopt;
        const char digit = EventDigit(std::stoi(v));
        return digit ? std::optional<char>(digit) : std::nullopt;
    }
    const char c = AsciiUpper(v[0]);
    if (DigitEvent(c) < 0)
        return std::nullopt;
    return c;
}

}  // namespace

bool DecodeTelephoneEvent(const uint8_t* payload, size_t size, TelephoneEvent* out) {
    if (size < 4)
        return false;
    out->event = payload[0];
    out->end = (payload[1] & 0x80) != 0;
    out->volume = payload[1] & 0x3F;
    out->duration = static_cast<uint16_t>(payload[2] << 8 | payload[3]);
    return true;
}

void EncodeTelephoneEvent(const TelephoneEvent& event, uint8_t out[4]) {
    out[0] = event.event;
    out[1] = static_cast<uint8_t>((event.end ? 0x80 : 0) | (event.volume & 0x3F));
    out[2] = static_cast<uint8_t>(event.duration >> 8);
    out[3] = static_cast<uint8_t>(event.duration & 0xFF);
}

char EventDigit(int event) {
    static const char kDigits[] = "0123456789*#ABCD";
    if (event < 0 || event > 15)
        return 0;
    return kDigits[event];
}

int DigitEvent(char digit) {
    if (digit >= '0' && digit <= '9')
        return digit - '0';
    switch (digit) {
        case '*':
            return 10;
        case '#':
            return 11;
        case 'A':
        case 'B':
        case 'C':
        case 'D':
            return 12 + (digit - 'A');
        default:
            return -1;
    }
}

char TelephoneEventReceiver::OnPacket(uint32_t timestamp, const TelephoneEvent& event) {
    if (any_ && timestamp == lastTimestamp_ && event.event == lastEvent_)
        return 0;
    any_ = true;
    lastTimestamp_ = timestamp;
    lastEvent_ = event.event;
    return EventDigit(event.event);
}

std::optional<char> ParseInfoDigit(const std::string& contentType, const std::string& body) {
    const std::string type = AsciiLower(TrimBlanks(contentType.substr(0, contentType.find(';'))));
    if (body.size() > 1024)
        return std::nullopt;
    if (type == "application/dtmf")
        return SignalDigit(body);
    if (type != "application/dtmf-relay")
        return std::nullopt;
    size_t pos = 0;
    while (pos < body.size()) {
        size_t end = body.find('\n', pos);
        if (end == std::string::npos)
            end = body.size();
        const std::string line = body.substr(pos, end - pos);
        const size_t eq = line.find('=');
        if (eq != std::string::npos && AsciiLower(TrimBlanks(line.substr(0, eq))) == "signal")
            return SignalDigit(line.substr(eq + 1));
        pos = end + 1;
    }
    return std::nullopt;
}

}  // namespace orvia::sip
