// Sends a dial string on a connected call, one 20 ms frame at a time.
//
// Keys ('0'-'9', '*', '#', 'A'-'D', either case) sound for 100 ms with 100 ms
// between them; "," is a 2-second pause and "!" a hook flash (300 ms). Other
// dialling characters are skipped. Each key goes out by the call's method:
// RFC 4733 events (the flash as event 16; each end packet sent three times),
// in-band tones, or SIP INFO requests (the flash as "Signal=16"). In-band
// there is no way to flash, so the flash is a 300 ms silence.
//
// While the sequence runs it supplies the call's outgoing audio: tones or
// silence, never the line's own audio.
//
// Threads: one thread (the SIP loop).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/sip/telephone_event_p.h"
#include "platform/sip/tone_generator_p.h"

namespace orvia::sip {

enum class DigitMethod { Rfc4733, Inband, Info };

constexpr size_t kFrameSamples = 160;  // 20 ms at 8000 samples per second

struct DigitFrame {
    bool sendAudio = false;  // send pcm as this frame's audio
    std::array<int16_t, kFrameSamples> pcm{};
    // RFC 4733 packets for this frame, all with eventTimestamp.
    int eventCount = 0;
    std::array<TelephoneEvent, 2> events{};
    uint32_t eventTimestamp = 0;
    bool eventMarker = false;
    // A key to send as SIP INFO ('!' for the flash); 0 for none.
    char infoSignal = 0;
};

class DigitSequencer {
public:
    DigitSequencer(const std::string& digits, DigitMethod method);

    // The frame whose audio starts at RTP timestamp ts.
    void NextFrame(uint32_t ts, DigitFrame* out);
    // True when every key and pause of the string is out.
    bool Finished() const;

private:
    enum class StepKind { Key, Flash, Gap };
    struct Step {
        StepKind kind;
        char digit;
        int frames;
    };

    std::vector<Step> steps_;
    DigitMethod method_;
    size_t step_ = 0;
    int frameInStep_ = 0;
    DtmfToneGenerator tone_;
    TelephoneEvent lastEnd_;
    uint32_t lastEndTimestamp_ = 0;
    int endRepeats_ = 0;  // end packets still to repeat
    uint32_t eventStart_ = 0;
};

}  // namespace orvia::sip
