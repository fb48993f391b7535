// One call on a scripted device: the exchange's side of it (rings, the
// answer, the caller's script, the line's requests) and the loop that runs it
// on the call-audio clock. Internal to the scripted-caller provider.
//
// Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/scripted/call_script.h"
#include "platform/scripted/scripted_call_observer.h"
#include "platform/scripted/scripted_device.h"
#include "platform/telephony/telephony.h"
#include "platform/wave/call_devices.h"

namespace orvia {

class StepDispatcher;

// One opening of the device: the line's event sink while it is open.
struct ScriptedLineLink {
    LineEvents* events = nullptr;
    bool open = true;
};

class ScriptedCall;

struct ScriptedDevice::State {
    ScriptedDeviceOptions options;
    std::shared_ptr<ScriptedLineLink> link;  // the open line; null when closed
    std::unique_ptr<ScriptedCall> call;      // the call in progress
    CallScript calledParty;
    int64_t clockFrames = 0;
    RequestId nextRequest = 1;
    CallHandle nextHandle = 1;

    RequestId NewRequest();
    CallHandle NewHandle();
};

class ScriptedCall {
public:
    enum class Direction { Incoming, Outgoing };

    ScriptedCall(ScriptedDevice::State& device, std::shared_ptr<ScriptedLineLink> link,
                 Direction direction, CallScript script, std::string number);
    ~ScriptedCall();
    ScriptedCall(const ScriptedCall&) = delete;
    ScriptedCall& operator=(const ScriptedCall&) = delete;

    CallHandle Handle() const { return handle_; }
    bool IsOver() const { return phase_ == Phase::Over; }
    // Call-audio time from the connection (0 before it; frozen at the end).
    int64_t CallTimeMs() const;
    bool WasConnected() const { return connected_; }

    // Requests of the line.
    RequestId Answer();
    RequestId Drop();
    RequestId Transfer(const std::string& number);
    bool GenerateDigits(const std::string& digits);
    HandoffResult Handoff(DetectedMedia media);
    const CallerInfo& Caller() const { return script_.callerId; }
    int WaveOutDevice() const { return pair_ ? pair_->OutputId() : -1; }
    int WaveInDevice() const { return pair_ ? pair_->InputId() : -1; }
    // The line closed: the call is gone without further events.
    void LineClosed();
    // The reply to the line's MakeCall request.
    void ReplyPlaced(RequestId request);

    // Runs the call to its end.
    ScriptedCallResult Run(StepDispatcher& dispatcher, ScriptedCallObserver* observer);

private:
    enum class Phase { Ringing, Connected, Over };
    enum class EventKind { Action, Key, DigitsOut, Limit, Clear };
    struct Event {
        EventKind kind = EventKind::Action;
        size_t action = 0;
        char key = 0;
    };
    using EventKey = std::pair<int64_t, uint64_t>;  // frame, order

    void RingIncoming(StepDispatcher& dispatcher);
    void RingOutgoing(StepDispatcher& dispatcher);
    void Connect();
    void RunConnected(StepDispatcher& dispatcher);
    // Waits (in real time) until the line queued output, posted work or
    // closed its output device; false after the bound.
    bool WaitForLineOutput(StepDispatcher& dispatcher);
    void Fire(const Event& event);
    void CallerHangsUp();
    void End();
    // Moves the clock by frames, delivering the caller's audio for them.
    void Advance(int64_t frames, bool deliverAudio);
    int64_t Now() const { return device_.clockFrames; }
    void Schedule(int64_t atFrames, Event event);
    void Post(std::function<void(LineEvents&)> event);
    void Report(const std::function<void(ScriptedCallObserver&)>& report);

    ScriptedDevice::State& device_;
    std::shared_ptr<ScriptedLineLink> link_;
    const Direction direction_;
    CallScript script_;
    const std::string number_;
    const CallHandle handle_;
    ScriptedCallObserver* observer_ = nullptr;

    Phase phase_ = Phase::Ringing;
    RequestId answerRequest_ = 0;
    bool callerGone_ = false;
    bool connected_ = false;
    int64_t connectFrame_ = 0;
    int64_t endFrame_ = -1;
    std::unique_ptr<CallDevicePair> pair_;
    std::map<EventKey, Event> events_;
    uint64_t eventOrder_ = 0;
    // The caller's voice and the next frame of it.
    std::shared_ptr<const std::vector<int16_t>> voice_;
    size_t voiceAt_ = 0;
    std::vector<int16_t> audio_;
};

}  // namespace orvia
