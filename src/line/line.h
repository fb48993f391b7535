// LLine: a telephone line on a line device of the telephony layer. It answers
// offered calls when its owner cell (the line's engine) accepts a ring,
// carries the call's audio through its own sound player and recorder on the
// call's wave devices, and turns the device's events into the LVLine events
// of its active cell.
//
// Events from the device: a new call handle is adopted as the current call;
// the offering rings with count 0, each ring with its count; a connection
// starts the owner; a disconnection hangs up, except in disconnect mode 2
// while a sound plays; a busy tone hangs up; the idle state ends the call for
// the cells. However the call leaves the line, what it played or recorded is
// stopped first. Keys are dropped while the line sends digits. A fax or data tone
// is handed to the application for that media; a fax with no such
// application becomes OnFaxTone.
//
// Audio: everything played is converted to one channel at 8000 frames per
// second; a wait plays silence. A recording stops the call when the caller
// stays silent (the recorder waiting for sound) for the silence limit (at
// least 1 s), and when the recorder stops by itself at the maximum length;
// stopping a recording cuts its last 0.4 s (the key press that stopped it).
//
// Caller ids are untrusted: printable characters only, at most 31 bytes.
//
// Main thread only. The current dispatcher must be set before a line is
// created (the player and recorder deliver their notifications through it).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "line/call_audio.h"
#include "line/line_application.h"
#include "line/line_observer.h"
#include "line/vline.h"
#include "platform/telephony/telephony.h"

namespace orvia {

// Where a line is with its call, for the program's status.
enum class LinePhase {
    Closed,     // the device is not open
    Idle,       // open, no call
    Ringing,    // an incoming call is offered
    Calling,    // an outgoing call is being placed
    Connected,  // a call is connected
};

class LLine : public LVLine, private LineEvents {
public:
    // Disconnect modes of Open.
    static constexpr int kDetectDisconnect = 0;
    static constexpr int kIgnoreDisconnectWhilePlaying = 2;
    // How often the line's player looks at its device: its queue holds
    // seconds of a call's audio, so once a second is enough (the end of a
    // play is noticed at once all the same), and a line wakes ten times less
    // than at the player's default.
    static constexpr int kPlayerPollMs = 1000;

    explicit LLine(LLineApplication& application = LLineApplication::Instance());
    ~LLine() override;

    // Opens a line device (closing what was open); false when the identifier
    // is not a device of the application or the device does not open.
    bool Open(int device, int disconnectMode);
    // Hangs up a call in progress (its cells hear that it ended) and closes
    // the device.
    void Close();
    bool IsOpen() const { return device_ != nullptr; }
    // The identifier of the open device; -1 while closed.
    int Device() const { return device_ ? deviceId_ : -1; }
    // Why the last Open failed; empty after a successful one.
    const std::string& OpenError() const { return openError_; }
    LinePhase Phase() const { return phase_; }
    // Local date-time at which the line entered its phase.
    int64_t PhaseSince() const { return phaseSince_; }
    // The device's address and registration; nothing while closed.
    LineDeviceStatus DeviceStatus() const;
    // Places an outgoing call (number empty: ","); only with the line open
    // and no call. The connection starts the owner like an answered call.
    bool MakeCall(std::string_view number);
    bool HasCall() const { return call_ != 0; }

    // The eight line operations.
    void GenerateDigits(std::string_view digits) override;
    void BlindTransfer(std::string_view number) override;
    void Drop() override;
    void Play(const LSoundSource& source) override;
    void Record(const LSoundSink& sink, int32_t maxTicks, int8_t detectDb,
                int32_t silenceTicks) override;
    void Wait(int32_t ticks) override;
    void Stop() override;
    bool IsRecording() override;

    // The clock of the silence limit (default: a steady clock); a scripted
    // call gives its call-audio clock.
    void SetTickSource(LCallAudio::TickSource source) { audio_.SetTickSource(std::move(source)); }
    void SetObserver(LLineObserver* observer) { audio_.SetObserver(observer); }
    // The player's poll interval (LSoundPlayer::SetPollInterval); a
    // scripted call shortens it.
    void SetPlayerPollInterval(int ms) { audio_.SetPlayerPollInterval(ms); }

private:
    enum class Request { None, MakingCall, Dropping, Answering, Transferring };

    // LineEvents.
    void OnCallState(CallHandle call, CallState state) override;
    void OnRinging(int count) override;
    void OnDigitDetected(CallHandle call, char digit) override;
    void OnDigitsGenerated(CallHandle call) override;
    void OnMediaDetected(CallHandle call, DetectedMedia media) override;
    void OnReply(RequestId request, bool ok) override;

    void Ringing(int count);
    void EnterPhase(LinePhase phase);
    void ReadCallerId();
    // The call is gone from the line without its idle state.
    void CallLeft();

    LLineApplication& application_;
    std::unique_ptr<TelephonyLine> device_;
    int deviceId_ = -1;
    CallHandle call_ = 0;
    int waveOut_ = LCallAudio::kNoDevice;
    int waveIn_ = LCallAudio::kNoDevice;
    bool generating_ = false;
    bool answering_ = false;
    RequestId pendingRequest_ = 0;
    Request pendingKind_ = Request::None;
    int disconnectMode_ = kDetectDisconnect;
    std::string openError_;
    LinePhase phase_ = LinePhase::Closed;
    int64_t phaseSince_ = 0;
    LCallAudio audio_{*this};
};

}  // namespace orvia
