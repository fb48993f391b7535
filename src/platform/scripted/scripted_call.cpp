#include "platform/scripted/scripted_call_p.h"

#include <algorithm>
#include <chrono>
#include <limits>

#include "platform/dispatch/dispatcher.h"
#include "platform/dispatch/step_dispatcher.h"

namespace orvia {
namespace {

constexpr int64_t kFramesPerMs = kScriptedCallRate / 1000;
// The clock moves in steps of at most 20 ms, so that the line reacts to
// each event before more audio passes.
constexpr int64_t kStepFrames = 20 * kFramesPerMs;
// A call the caller has left is cleared by the exchange this long after,
// if the line has not released it by then.
constexpr int64_t kClearMs = 60000;
// An outgoing call nobody answers rings this many times.
constexpr int kNoAnswerRings = 10;
// Real time the loop waits for the line to queue output before it treats
// the device as starved and lets silence pass.
constexpr auto kStarvedAfter = std::chrono::seconds(10);

int64_t MsToFrames(int64_t ms) {
    return ms * kFramesPerMs;
}

}  // namespace

RequestId ScriptedDevice::State::NewRequest() {
    const RequestId request = nextRequest;
    nextRequest = nextRequest == std::numeric_limits<RequestId>::max() ? 1 : nextRequest + 1;
    return request;
}

CallHandle ScriptedDevice::State::NewHandle() {
    const CallHandle handle = nextHandle;
    nextHandle = nextHandle == std::numeric_limits<CallHandle>::max() ? 1 : nextHandle + 1;
    return handle;
}

ScriptedCall::ScriptedCall(ScriptedDevice::State& device, std::shared_ptr<ScriptedLineLink> link,
                           Direction direction, CallScript script, std::string number)
    : device_(device),
      link_(std::move(link)),
      direction_(direction),
      script_(std::move(script)),
      number_(std::move(number)),
      handle_(device.NewHandle()) {}

ScriptedCall::~ScriptedCall() = default;

int64_t ScriptedCall::CallTimeMs() const {
    if (!connected_)
        return 0;
    const int64_t until = endFrame_ >= 0 ? endFrame_ : Now();
    return (until - connectFrame_) / kFramesPerMs;
}

void ScriptedCall::Post(std::function<void(LineEvents&)> event) {
    Dispatcher* dispatcher = CurrentDispatcher();
    if (!dispatcher)
        return;
    dispatcher->Post([link = link_, event = std::move(event)] {
        if (link->open && link->events)
            event(*link->events);
    });
}

void ScriptedCall::Report(const std::function<void(ScriptedCallObserver&)>& report) {
    if (observer_)
        report(*observer_);
}

void ScriptedCall::Schedule(int64_t atFrames, Event event) {
    events_.emplace(EventKey{atFrames, eventOrder_++}, event);
}

// --- Requests of the line.

RequestId ScriptedCall::Answer() {
    if (phase_ != Phase::Ringing || direction_ != Direction::Incoming || answerRequest_ != 0)
        return -1;
    answerRequest_ = device_.NewRequest();
    return answerRequest_;
}

RequestId ScriptedCall::Drop() {
    if (phase_ == Phase::Over)
        return -1;
    const RequestId request = device_.NewRequest();
    if (!callerGone_)
        Report([](ScriptedCallObserver& o) { o.OnHangUp(true); });
    callerGone_ = true;
    const CallHandle call = handle_;
    Post([request](LineEvents& e) { e.OnReply(request, true); });
    Post([call](LineEvents& e) { e.OnCallState(call, CallState::Idle); });
    End();
    return request;
}

RequestId ScriptedCall::Transfer(const std::string& number) {
    if (phase_ != Phase::Connected)
        return -1;
    Report([&number](ScriptedCallObserver& o) { o.OnTransfer(number); });
    const RequestId request = device_.NewRequest();
    callerGone_ = true;
    const CallHandle call = handle_;
    Post([request](LineEvents& e) { e.OnReply(request, true); });
    Post([call](LineEvents& e) { e.OnCallState(call, CallState::Idle); });
    End();
    return request;
}

bool ScriptedCall::GenerateDigits(const std::string& digits) {
    if (phase_ != Phase::Connected)
        return false;
    const bool accepted = IsScriptedDialString(digits);
    Report([&](ScriptedCallObserver& o) { o.OnDial(digits, accepted); });
    if (!accepted)
        return false;
    // A new dial string replaces one still being sent.
    for (auto it = events_.begin(); it != events_.end();) {
        if (it->second.kind == EventKind::DigitsOut)
            it = events_.erase(it);
        else
            ++it;
    }
    Schedule(Now() + MsToFrames(ScriptedDialMs(digits)), Event{EventKind::DigitsOut});
    return true;
}

HandoffResult ScriptedCall::Handoff(DetectedMedia media) {
    if (phase_ == Phase::Over)
        return HandoffResult::Failed;
    const bool target = media == DetectedMedia::Fax ? device_.options.faxApplication
                                                    : device_.options.dataApplication;
    Report([&](ScriptedCallObserver& o) { o.OnHandoff(media, target); });
    if (!target)
        return HandoffResult::TargetNotFound;
    callerGone_ = true;
    End();
    return HandoffResult::HandedOff;
}

void ScriptedCall::LineClosed() {
    callerGone_ = true;
    End();
}

void ScriptedCall::ReplyPlaced(RequestId request) {
    Post([request](LineEvents& e) { e.OnReply(request, true); });
}

// --- The caller's side.

void ScriptedCall::CallerHangsUp() {
    if (callerGone_ || phase_ == Phase::Over)
        return;
    callerGone_ = true;
    voice_.reset();
    Report([](ScriptedCallObserver& o) { o.OnHangUp(false); });
    const CallHandle call = handle_;
    Post([call](LineEvents& e) { e.OnCallState(call, CallState::Disconnected); });
    Schedule(Now() + MsToFrames(kClearMs), Event{EventKind::Clear});
}

void ScriptedCall::End() {
    if (phase_ == Phase::Over)
        return;
    phase_ = Phase::Over;
    endFrame_ = Now();
    voice_.reset();
}

void ScriptedCall::Fire(const Event& event) {
    const CallHandle call = handle_;
    switch (event.kind) {
        case EventKind::Key:
            if (callerGone_)
                return;
            Report([&](ScriptedCallObserver& o) { o.OnKey(event.key); });
            Post([call, key = event.key](LineEvents& e) { e.OnDigitDetected(call, key); });
            return;
        case EventKind::DigitsOut:
            Post([call](LineEvents& e) { e.OnDigitsGenerated(call); });
            return;
        case EventKind::Limit:
            CallerHangsUp();
            return;
        case EventKind::Clear:
            Post([call](LineEvents& e) { e.OnCallState(call, CallState::Idle); });
            End();
            return;
        case EventKind::Action:
            break;
    }
    if (callerGone_)
        return;
    const CallerAction& action = script_.actions[event.action];
    if (action.kind != CallerActionKind::HangUp)
        Report([&](ScriptedCallObserver& o) { o.OnCallerAction(action); });
    switch (action.kind) {
        case CallerActionKind::Press:  // expanded into keys at the connection
            break;
        case CallerActionKind::Say:
            voice_ = action.voice;
            voiceAt_ = 0;
            break;
        case CallerActionKind::Silence:
            voice_.reset();
            break;
        case CallerActionKind::Fax:
            Post([call](LineEvents& e) { e.OnMediaDetected(call, DetectedMedia::Fax); });
            break;
        case CallerActionKind::Data:
            Post([call](LineEvents& e) { e.OnMediaDetected(call, DetectedMedia::Data); });
            break;
        case CallerActionKind::Busy:
            callerGone_ = true;
            voice_.reset();
            Post([call](LineEvents& e) { e.OnCallState(call, CallState::Busy); });
            Schedule(Now() + MsToFrames(kClearMs), Event{EventKind::Clear});
            break;
        case CallerActionKind::HangUp:
            CallerHangsUp();
            break;
    }
}

void ScriptedCall::Advance(int64_t frames, bool deliverAudio) {
    if (frames <= 0)
        return;
    device_.clockFrames += frames;
    const auto count = static_cast<size_t>(frames);
    if (!deliverAudio || !pair_) {
        if (voice_)
            voiceAt_ += count;
        if (voice_ && voiceAt_ >= voice_->size())
            voice_.reset();
        return;
    }
    audio_.assign(count, 0);
    if (voice_) {
        const size_t take = std::min(count, voice_->size() - std::min(voiceAt_, voice_->size()));
        std::copy_n(voice_->begin() + static_cast<std::ptrdiff_t>(voiceAt_), take, audio_.begin());
        voiceAt_ += count;
        if (voiceAt_ >= voice_->size())
            voice_.reset();
    }
    pair_->PushInput(audio_.data(), count);
}

// --- Running the call.

void ScriptedCall::Connect() {
    pair_ = CallDevicePair::Register(PcmFormat{1, kScriptedCallRate});
    const CallHandle call = handle_;
    if (!pair_) {
        // No call device is free: the answer fails and the call rings on.
        const RequestId request = answerRequest_;
        answerRequest_ = 0;
        Post([request](LineEvents& e) { e.OnReply(request, false); });
        return;
    }
    if (answerRequest_ != 0) {
        const RequestId request = answerRequest_;
        Post([request](LineEvents& e) { e.OnReply(request, true); });
    }
    Post([call](LineEvents& e) { e.OnCallState(call, CallState::Connected); });
    phase_ = Phase::Connected;
    connected_ = true;
    connectFrame_ = Now();
    Report([](ScriptedCallObserver& o) { o.OnConnected(); });
    for (size_t i = 0; i < script_.actions.size(); ++i) {
        const CallerAction& action = script_.actions[i];
        const int64_t at = connectFrame_ + MsToFrames(std::max<int64_t>(0, action.atMs));
        if (action.kind != CallerActionKind::Press) {
            Schedule(at, Event{EventKind::Action, i});
            continue;
        }
        for (size_t k = 0; k < action.keys.size(); ++k)
            Schedule(at + MsToFrames(static_cast<int64_t>(k) * kScriptedKeyIntervalMs),
                     Event{EventKind::Key, i, action.keys[k]});
    }
    Schedule(connectFrame_ + MsToFrames(std::max<int64_t>(0, script_.limitMs)),
             Event{EventKind::Limit});
}

void ScriptedCall::RingIncoming(StepDispatcher& dispatcher) {
    const CallHandle call = handle_;
    Post([call](LineEvents& e) { e.OnCallState(call, CallState::Offering); });
    dispatcher.RunPending();
    int count = 0;
    while (phase_ == Phase::Ringing) {
        if (answerRequest_ != 0) {
            Report([count](ScriptedCallObserver& o) { o.OnRing(count, true); });
            Connect();
            if (phase_ == Phase::Connected)
                return;
        } else if (count > 0) {
            Report([count](ScriptedCallObserver& o) { o.OnRing(count, false); });
        }
        if (count >= script_.rings) {
            if (count > 0)
                Advance(MsToFrames(kScriptedRingIntervalMs), false);
            CallerHangsUp();
            return;
        }
        if (count > 0)
            Advance(MsToFrames(kScriptedRingIntervalMs), false);
        ++count;
        Post([count](LineEvents& e) { e.OnRinging(count); });
        dispatcher.RunPending();
    }
}

void ScriptedCall::RingOutgoing(StepDispatcher& dispatcher) {
    Report([this](ScriptedCallObserver& o) { o.OnCallPlaced(number_); });
    dispatcher.RunPending();
    const int answerAt = script_.rings > 0 ? script_.rings : 0;
    const int rings = answerAt > 0 ? answerAt : kNoAnswerRings;
    for (int count = 1; count <= rings && phase_ == Phase::Ringing; ++count) {
        if (count > 1)
            Advance(MsToFrames(kScriptedRingIntervalMs), false);
        const bool answered = count == answerAt;
        Report([count, answered](ScriptedCallObserver& o) { o.OnRing(count, answered); });
        if (answered) {
            Connect();
            return;
        }
    }
    if (phase_ != Phase::Ringing)
        return;
    Advance(MsToFrames(kScriptedRingIntervalMs), false);
    CallerHangsUp();
}

bool ScriptedCall::WaitForLineOutput(StepDispatcher& dispatcher) {
    const auto deadline = std::chrono::steady_clock::now() + kStarvedAfter;
    for (;;) {
        if (dispatcher.RunPending() > 0)
            return true;
        if (phase_ == Phase::Over || !pair_->OutputOpen() || pair_->WaitForOutput(1))
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
    }
}

void ScriptedCall::RunConnected(StepDispatcher& dispatcher) {
    std::vector<int16_t> played(static_cast<size_t>(kStepFrames));
    for (;;) {
        dispatcher.RunPending();
        if (phase_ == Phase::Over)
            return;
        if (events_.empty())
            return;  // cannot happen: a limit or clear event is always ahead
        const auto first = events_.begin();
        if (first->first.first <= Now()) {
            const Event event = first->second;
            events_.erase(first);
            Fire(event);
            continue;
        }
        const int64_t room = first->first.first - Now();
        const int64_t step = std::min(kStepFrames, room);
        if (pair_ && pair_->OutputOpen()) {
            if (!pair_->WaitForOutput(0)) {
                if (!WaitForLineOutput(dispatcher))
                    Advance(step, true);  // starved: the device plays silence
                continue;
            }
            const size_t pulled = pair_->PullOutput(played.data(), static_cast<size_t>(step));
            if (pulled == 0)
                continue;
            Report([&](ScriptedCallObserver& o) { o.OnLineAudio(played.data(), pulled); });
            Advance(static_cast<int64_t>(pulled), true);
        } else if (const size_t free = pair_ ? pair_->InputFreeFrames() : 0; free > 0) {
            Advance(std::min(step, static_cast<int64_t>(free)), true);
        } else {
            // The line neither plays nor records: nothing happens until the
            // next scripted moment.
            Advance(room, false);
        }
    }
}

ScriptedCallResult ScriptedCall::Run(StepDispatcher& dispatcher, ScriptedCallObserver* observer) {
    observer_ = observer;
    if (direction_ == Direction::Incoming)
        RingIncoming(dispatcher);
    else
        RingOutgoing(dispatcher);
    RunConnected(dispatcher);
    dispatcher.RunPending();
    // The call's devices go; a device the line still has open returns its
    // buffers at once.
    pair_.reset();
    dispatcher.RunPending();
    Report([](ScriptedCallObserver& o) { o.OnEnd(); });
    observer_ = nullptr;
    return ScriptedCallResult{connected_, CallTimeMs()};
}

}  // namespace orvia
