// What the SIP loop reports about one line's calls. Called on the loop
// thread; the line's implementation carries each report to the main thread.
#pragma once

#include <string>

#include "platform/telephony/telephony.h"

namespace orvia::sip {

class LineSink {
public:
    virtual ~LineSink() = default;
    // A new incoming call: the Offering state with its caller id.
    virtual void CallOffered(CallHandle call, const CallerInfo& caller) = 0;
    virtual void CallRinging(CallHandle call, int count) = 0;
    // Connected, with the call's wave device identifiers.
    virtual void CallConnected(CallHandle call, int waveOut, int waveIn) = 0;
    // Disconnected, Busy or Idle.
    virtual void CallStateChanged(CallHandle call, CallState state) = 0;
    virtual void Digit(CallHandle call, char digit) = 0;
    virtual void DigitsGenerated(CallHandle call) = 0;
    virtual void MediaDetected(CallHandle call, DetectedMedia media) = 0;
    virtual void Reply(RequestId request, bool ok) = 0;
};

}  // namespace orvia::sip
