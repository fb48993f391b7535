#include "line/line.h"

#include <algorithm>
#include <utility>

#include "platform/thread_affinity.h"

namespace orvia {
namespace {

bool IsKey(char digit) {
    return (digit >= '0' && digit <= '9') || digit == '*' || digit == '#' ||
           (digit >= 'A' && digit <= 'D');
}

// Bytes of a well-formed UTF-8 sequence starting at text[at] for a printable
// character (no C1 controls), or 0.
std::size_t PrintableUtf8Length(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    uint32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        code = code << 6 | (next & 0x3F);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    const bool invalid = (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF;
    const bool control = code >= 0x80 && code <= 0x9F;
    return overlong || invalid || control ? 0 : length;
}

// A call's wave device; a call without one plays and records nothing.
int DeviceOrNone(int device) {
    return device >= 0 ? device : LCallAudio::kNoDevice;
}

}  // namespace

std::string PrintableCallerId(std::string_view text, std::size_t maxBytes) {
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        const auto c = static_cast<unsigned char>(text[at]);
        std::size_t length = 0;
        if (c >= 0x20 && c < 0x7F)
            length = 1;
        else if (c >= 0x80)
            length = PrintableUtf8Length(text, at);
        if (length == 0) {
            ++at;
            continue;
        }
        if (out.size() + length > maxBytes)
            break;
        out.append(text.substr(at, length));
        at += length;
    }
    return out;
}

LLine::LLine(LLineApplication& application) : application_(application) {}

LLine::~LLine() {
    Close();
}

// --- Opening and closing.

bool LLine::Open(int device, int disconnectMode) {
    ORVIA_ASSERT_MAIN_THREAD();
    application_.Initialise();
    Close();
    if (device < 0 || static_cast<uint32_t>(device) >= application_.DeviceCount())
        return false;
    TelephonyDevice* found = application_.Device(device);
    if (!found)
        return false;
    device_ = found->Open(this);
    if (!device_)
        return false;
    pendingKind_ = Request::None;
    pendingRequest_ = 0;
    disconnectMode_ = disconnectMode;
    return true;
}

void LLine::Close() {
    ORVIA_ASSERT_MAIN_THREAD();
    if (!device_)
        return;
    const bool hadCall = call_ != 0;
    Drop();
    device_.reset();
    pendingKind_ = Request::None;
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
            Ringing(0);
            return;
        case CallState::Connected:
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
        SetCallerId(PrintableCallerId(info.number, kCallerIdMax),
                    PrintableCallerId(info.name, kCallerIdMax));
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
    waveOut_ = waveIn_ = LCallAudio::kNoDevice;
    answering_ = false;
    generating_ = false;
    CallEnded();
}

void LLine::OnReply(RequestId request, bool ok) {
    ORVIA_ASSERT_MAIN_THREAD();
    if (pendingKind_ == Request::None || request != pendingRequest_)
        return;
    if (!ok && pendingKind_ == Request::MakingCall)
        call_ = 0;
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
