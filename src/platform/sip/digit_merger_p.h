// One key press, one digit event, whatever mix of methods the peer uses.
//
// Some peers signal a key in more than one way at once (RFC 4733 events and
// SIP INFO, or events while the tone also stays in the audio). A report from
// one method is taken as the same press as an earlier accepted report of the
// same key from another method when it comes within a window of it and that
// press has not been matched by this method yet; otherwise it is a new press.
// Repeated presses of one key through one method are always new presses.
//
// Threads: one thread (the SIP loop).
#pragma once

#include <cstdint>
#include <deque>

namespace orvia::sip {

enum class DigitSource : uint8_t { Rfc4733 = 1, Info = 2, Inband = 4 };

class DigitMerger {
public:
    explicit DigitMerger(uint32_t windowMs = 600) : windowMs_(windowMs) {}

    // True when the report is a new press to pass on.
    bool Accept(char digit, DigitSource source, uint64_t nowMs);

private:
    struct Press {
        char digit;
        uint64_t atMs;
        uint8_t sources;  // methods that have reported this press
    };
    uint32_t windowMs_;
    std::deque<Press> recent_;
};

}  // namespace orvia::sip
