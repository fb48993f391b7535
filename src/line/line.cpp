#include "line/line.h"

#include <algorithm>
#include <utility>

#include "platform/thread/thread_affinity.h"
#include "platform/time/clock.h"

namespace orvia {
namespace {

bool IsKey(char digit) {
    return (digit >= '0' && digit <= '9') || digit == '*' || digit == '#' ||
           (digit >= 'A' && digit <= 'D');
}

// A call's wave device; a call without one plays and records nothing.
int DeviceOrNone(int device) {
    return device >= 0 ? device : LCallAudio::kNoDevice;
}

}  // namespace

LLine::LLine(LLineApplication& application) : application_(application) {
    audio_.SetPlayerPollInterval(kPlayerPollMs);
}

LLine::~LLine() {
    Close();
}

// --- Opening and closing.

bool LLine::Open(int device, int disconnectMode) {
    ORVIA_ASSERT_MAIN_THREAD();
    application_.Initialise();
    Close();
    const uint32_t count = application_.DeviceCount();
    TelephonyDevice* found = device >= 0 && static_cast<uint32_t>(device) < count
                                 ? application_.Device(device)
                                 : nullptr;
    if (!found) {
        openError_ = "there is no device " + std::to_string(device) + " (the telephony " +
                     "configuration gives " + std::to_string(count) +
                     (count == 1 ? " device)" : " devices)");
        return false;
    }
    device_ = found->Open(this);
    if (!device_) {
        openError_ = found->OpenError();
        if (openError_.empty())
            openError_ = "the device did not open";
        return false;
    }
    openError_.clear();
    deviceId_ = device;
    pendingKind_ = Request::None;
    pendingRequest_ = 0;
    disconnectMode_ = disconnectMode;
    EnterPhase(LinePhase::Idle);
    return true;
}

void LLine::EnterPhase(LinePhase phase) {
    phase_ = phase;
    phaseSince_ = LocalNow();
}

LineDeviceStatus LLine::DeviceStatus() const {
    return device_ ? device_->DeviceStatus() : LineDeviceStatus{};
}

void LLine::Close() {
    ORVIA_ASSERT_MAIN_THREAD();
    if (!device_)
        return;
    const bool hadCall = call_ != 0;
    Drop();
    device_.reset();
    pendingKind_ = Request::None;
    EnterPhase(LinePhase::Closed);
    // The device's report of the end of the call will not come now: the
    // cells hear it here, so an engine can settle what the call left (a
    // message being recorded).
    if (hadCall)
        CallLeft();
}

bool LLine::MakeCall(std::string_view number) {
    ORVIA_ASSERT_MAIN_THREAD();
    if (!device_ || call_ != 0)
        return false;
    pendingKind_ = Request::MakingCall;
    const RequestId request = device_->MakeCall(number.empty() ? "," : std::string(number));
    if (request < 0) {
        pendingKind_ = Request::None;
        return false;
    }
    pendingRequest_ = request;
    if (request == 0)
        pendingKind_ = Request::None;
    ClearCallerId();
    EnterPhase(LinePhase::Calling);
    return true;
}

// --- Events of the device.

void LLine::OnCallState(CallHandle call, CallState state) {
    ORVIA_ASSERT_MAIN_THREAD();
    if (call == 0)
        return;
    if (call != call_) {
        call_ = call;
        answering_ = false;
    }
    switch (state) {
        case CallState::Offering:
            EnterPhase(LinePhase::Ringing);
            Ringing(0);
            return;
        case CallState::Connected:
            EnterPhase(LinePhase::Connected);
            waveOut_ = DeviceOrNone(device_->WaveOutDevice(call_));
            waveIn_ = DeviceOrNone(device_->WaveInDevice(call_));
            generating_ = false;
            CallConnected();
            return;
        case CallState::Disconnected:
            if (audio_.IsPlaying() && disconnectMode_ != kDetectDisconnect)
                return;
            Drop();
            return;
        case CallState::Busy:
            Drop();
            return;
        case CallState::Idle:
            device_->Deallocate(call_);
            CallLeft();
            return;
    }
}

void LLine::OnRinging(int count) {
    ORVIA_ASSERT_MAIN_THREAD();
    Ringing(count);
}

void LLine::Ringing(int count) {
    if (call_ == 0 || answering_)
        return;
    ReadCallerId();
    if (!Ring(count))
        return;
    answering_ = true;
    pendingKind_ = Request::Answering;
    pendingRequest_ = device_->Answer(call_);
    if (pendingRequest_ < 0)
        pendingKind_ = Request::None;
}

void LLine::ReadCallerId() {
    ClearCallerId();
    const CallerInfo info = device_->GetCallerInfo(call_);
    if (info.blocked)
        SetCallerId("CID Blocked", "");
    else if (info.outOfArea)
        SetCallerId("CID Out Of Area", "");
    else
        // SetCallerId keeps the printable characters of the provider's text.
        SetCallerId(info.number, info.name);
}

void LLine::OnDigitDetected(CallHandle call, char digit) {
    ORVIA_ASSERT_MAIN_THREAD();
    if (call != call_ || generating_ || !IsKey(digit))
        return;
    OnDigit(digit);
}

void LLine::OnDigitsGenerated(CallHandle call) {
    ORVIA_ASSERT_MAIN_THREAD();
    if (call != call_ || !generating_)
        return;
    generating_ = false;
    OnDialComplete();
}

void LLine::OnMediaDetected(CallHandle call, DetectedMedia media) {
    ORVIA_ASSERT_MAIN_THREAD();
    if (call != call_ || call_ == 0)
        return;
    const HandoffResult result = device_->Handoff(call_, media);
    if (result == HandoffResult::TargetNotFound) {
        if (media == DetectedMedia::Fax)
            OnFaxTone();
        return;
    }
    CallLeft();
}

void LLine::CallLeft() {
    // Whatever path the call left by, its audio stops with it: a recording
    // is finished before the cells hear of the end (and measure it).
    Stop();
    call_ = 0;
    EnterPhase(device_ ? LinePhase::Idle : LinePhase::Closed);
    waveOut_ = waveIn_ = LCallAudio::kNoDevice;
    answering_ = false;
    generating_ = false;
    CallEnded();
}

void LLine::OnReply(RequestId request, bool ok) {
    ORVIA_ASSERT_MAIN_THREAD();
    if (pendingKind_ == Request::None || request != pendingRequest_)
        return;
    if (!ok && pendingKind_ == Request::MakingCall) {
        call_ = 0;
        if (device_)
            EnterPhase(LinePhase::Idle);
    }
    pendingKind_ = Request::None;
}

// --- Operations on the call.

void LLine::GenerateDigits(std::string_view digits) {
    ORVIA_ASSERT_MAIN_THREAD();
    if (call_ == 0)
        return;
    Stop();
    generating_ = true;
    if (!device_->GenerateDigits(call_, digits.empty() ? "," : std::string(digits))) {
        generating_ = false;
        OnDialComplete();
    }
}

void LLine::BlindTransfer(std::string_view number) {
    ORVIA_ASSERT_MAIN_THREAD();
    if (call_ == 0)
        return;
    Stop();
    pendingKind_ = Request::Transferring;
    pendingRequest_ = device_->BlindTransfer(call_, std::string(number));
    if (pendingRequest_ < 0) {
        pendingKind_ = Request::Dropping;
        pendingRequest_ = device_->Drop(call_);
    }
}

void LLine::Drop() {
    ORVIA_ASSERT_MAIN_THREAD();
    Stop();
    if (call_ == 0 || !device_)
        return;
    pendingKind_ = Request::Dropping;
    pendingRequest_ = device_->Drop(call_);
}

void LLine::Play(const LSoundSource& source) {
    ORVIA_ASSERT_MAIN_THREAD();
    audio_.Play(source, call_ != 0 ? waveOut_ : LCallAudio::kNoDevice);
}

void LLine::Wait(int32_t ticks) {
    ORVIA_ASSERT_MAIN_THREAD();
    audio_.Wait(ticks, call_ != 0 ? waveOut_ : LCallAudio::kNoDevice);
}

void LLine::Record(const LSoundSink& sink, int32_t maxTicks, int8_t detectDb,
                   int32_t silenceTicks) {
    ORVIA_ASSERT_MAIN_THREAD();
    audio_.Record(sink, maxTicks, detectDb, silenceTicks,
                  call_ != 0 ? waveIn_ : LCallAudio::kNoDevice);
}

void LLine::Stop() {
    ORVIA_ASSERT_MAIN_THREAD();
    audio_.Stop();
}

bool LLine::IsRecording() {
    return audio_.IsRecording();
}

}  // namespace orvia
