// RFC 4733 telephone events (DTMF keys and flash carried in RTP) and the
// key texts of SIP INFO requests.
//
// Threads: pure functions and single-thread objects (the SIP loop).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace orvia::sip {

constexpr int kFlashEvent = 16;

struct TelephoneEvent {
    uint8_t event = 0;
    bool end = false;
    uint8_t volume = 10;    // -dBm0, 0..63
    uint16_t duration = 0;  // in RTP timestamp units
};

// The 4-byte payload; false for a payload shorter than 4 bytes.
bool DecodeTelephoneEvent(const uint8_t* payload, size_t size, TelephoneEvent* out);
void EncodeTelephoneEvent(const TelephoneEvent& event, uint8_t out[4]);

// Key character of an event code 0-15 ('0'-'9', '*', '#', 'A'-'D'); 0 otherwise.
char EventDigit(int event);
// Event code of a key character; -1 for anything else.
int DigitEvent(char digit);

// Turns the packets of received events into key presses: every packet of
// one event carries the event's start timestamp, so a press is reported once
// when a packet with a new timestamp (or a new code) arrives, whether its
// start, its middle or only its end packets get through. Retransmitted end
// packets and the flash event report nothing.
class TelephoneEventReceiver {
public:
    // The key of a new press, or 0.
    char OnPacket(uint32_t timestamp, const TelephoneEvent& event);

private:
    bool any_ = false;
    uint32_t lastTimestamp_ = 0;
    uint8_t lastEvent_ = 0;
};

// The key of a SIP INFO body: "application/dtmf-relay" ("Signal=5\r\n
// Duration=160") or "application/dtmf" ("5"); a signal may be the key itself
// or its event code ("10" = "*"). Empty for anything else (and for flash).
std::optional<char> ParseInfoDigit(const std::string& contentType, const std::string& body);

}  // namespace orvia::sip
