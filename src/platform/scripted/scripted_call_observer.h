// What a scripted call reports about itself, for transcripts and tests.
// Every report comes on the main thread while the call runs; the device's
// CallTimeMs() gives the call-audio time of the report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/scripted/call_script.h"
#include "platform/telephony/telephony.h"

namespace orvia {

class ScriptedCallObserver {
public:
    virtual ~ScriptedCallObserver() = default;
    // A ring came; answered when the line answered at it (count 0 is the
    // offering of the call, reported only when the line answered then).
    virtual void OnRing(int count, bool answered) { (void)count, (void)answered; }
    // An outgoing call was placed to number.
    virtual void OnCallPlaced(const std::string& number) { (void)number; }
    virtual void OnConnected() {}
    // A scripted action of the caller took place (a press reports each key
    // through OnKey instead).
    virtual void OnCallerAction(const CallerAction& action) { (void)action; }
    virtual void OnKey(char key) { (void)key; }
    // The line sends digits (accepted false: it asked for characters that
    // cannot be dialled, and nothing was sent).
    virtual void OnDial(const std::string& digits, bool accepted) { (void)digits, (void)accepted; }
    virtual void OnTransfer(const std::string& number) { (void)number; }
    // The line handed the call to another application (handedOff), or found
    // none for the media.
    virtual void OnHandoff(DetectedMedia media, bool handedOff) { (void)media, (void)handedOff; }
    // Audio the line played to the call (one channel at 8000 frames a second).
    virtual void OnLineAudio(const int16_t* frames, size_t count) { (void)frames, (void)count; }
    // The call was released: by the line (bySystem) or by the caller.
    virtual void OnHangUp(bool bySystem) { (void)bySystem; }
    // The call is over and the line has handled its end.
    virtual void OnEnd() {}
};

}  // namespace orvia
