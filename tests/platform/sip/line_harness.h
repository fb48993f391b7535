// What the SIP line tests share: a recorder of line events, audio ends that
// play a tone and keep what arrives, and a fixture with an open SIP line on
// a free loopback port driven by a step dispatcher.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "peer_process.h"
#include "platform/dispatch/dispatcher.h"
#include "platform/dispatch/step_dispatcher.h"
#include "platform/sip/media_port.h"
#include "platform/sip/sip_line.h"
#include "temp_dir.h"

namespace orvia::sip::test {

struct LineEvent {
    enum Kind { State, Ring, Digit, DigitsDone, Media, Reply } kind;
    CallHandle call = 0;
    CallState state = CallState::Idle;
    int count = 0;
    char digit = 0;
    RequestId request = 0;
    bool ok = false;
};

class RecordingEvents : public LineEvents {
public:
    void OnCallState(CallHandle call, CallState state) override;
    void OnRinging(int count) override;
    void OnDigitDetected(CallHandle call, char digit) override;
    void OnDigitsGenerated(CallHandle call) override;
    void OnMediaDetected(CallHandle call, DetectedMedia media) override;
    void OnReply(RequestId request, bool ok) override;

    std::vector<LineEvent> events;
    // Hooks the test sets to act the moment an event arrives.
    std::function<void(CallHandle, CallState)> onState;
    std::function<void(int)> onRing;

    bool HasState(CallState state) const;
    // The handle of the first call seen.
    CallHandle FirstCall() const;
    int Rings() const;
    std::string Digits() const;
    int DigitsDoneCount() const;
    bool HasMedia() const;
    // The reply to a request: empty while none came.
    std::optional<bool> ReplyTo(RequestId request) const;
    // The call states in order, as text ("Offering Connected ...").
    std::string States() const;
};

// Audio ends for a test call: plays a steady tone and keeps what it is given.
class AudioProbe {
public:
    explicit AudioProbe(double toneHz = 1000) : toneHz_(toneHz) {}
    static MediaPortFactory Factory(std::shared_ptr<AudioProbe> probe);
    std::vector<int16_t> Received() const;
    size_t PulledSamples() const;
    int Created() const;
    // The share of the received audio's energy at hz, from sample `from` on.
    double ShareAt(double hz, size_t from = 0) const;

private:
    friend class ProbeAudio;
    mutable std::mutex mutex_;
    double toneHz_;
    double phase_ = 0;
    size_t pulled_ = 0;
    int created_ = 0;
    std::vector<int16_t> received_;
};

// The share of a signal's energy at hz (1 for a pure tone).
double ToneShare(const std::vector<int16_t>& samples, double hz, size_t from = 0);

class SipLineTest : public ::testing::Test {
protected:
    SipLineTest();
    ~SipLineTest() override;

    // Opens the line on a free loopback port with these extra settings; its
    // calls' audio goes to audio_, or with realDevices to the call wave devices.
    void OpenLine(const TelephonySettings& extra = {}, bool realDevices = false);
    bool RunUntil(const std::function<bool()>& done, int ms = 15000) {
        return dispatcher_.RunUntil(done, ms);
    }
    // Writes a sipp scenario and runs sipp against the line.
    void StartSipp(PeerProcess& peer, const std::string& name, const std::string& scenario,
                   const std::vector<std::string>& extra = {});
    // Waits for sipp to end while running the dispatcher; its exit status.
    std::optional<int> FinishPeer(PeerProcess& peer, int ms = 20000);

    StepDispatcher dispatcher_;
    ScopedCurrentDispatcher scope_{&dispatcher_};
    orvia::test::TempDir dir_;
    RecordingEvents events_;
    std::shared_ptr<AudioProbe> audio_ = std::make_shared<AudioProbe>();
    std::unique_ptr<SipLine> line_;
    std::string host_ = "127.0.0.1";
    int port_ = 0;
};

}  // namespace orvia::sip::test
