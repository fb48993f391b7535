#include "line_harness.h"

#include <chrono>
#include <cmath>
#include <thread>

#include "platform/sip/sip_device.h"

namespace orvia::sip::test {

void RecordingEvents::OnCallState(CallHandle call, CallState state) {
    LineEvent e{LineEvent::State};
    e.call = call;
    e.state = state;
    events.push_back(e);
    if (onState)
        onState(call, state);
}

void RecordingEvents::OnRinging(int count) {
    LineEvent e{LineEvent::Ring};
    e.count = count;
    events.push_back(e);
    if (onRing)
        onRing(count);
}

void RecordingEvents::OnDigitDetected(CallHandle call, char digit) {
    LineEvent e{LineEvent::Digit};
    e.call = call;
    e.digit = digit;
    events.push_back(e);
}

void RecordingEvents::OnDigitsGenerated(CallHandle call) {
    LineEvent e{LineEvent::DigitsDone};
    e.call = call;
    events.push_back(e);
}

void RecordingEvents::OnMediaDetected(CallHandle call, DetectedMedia) {
    LineEvent e{LineEvent::Media};
    e.call = call;
    events.push_back(e);
}

void RecordingEvents::OnReply(RequestId request, bool ok) {
    LineEvent e{LineEvent::Reply};
    e.request = request;
    e.ok = ok;
    events.push_back(e);
}

bool RecordingEvents::HasState(CallState state) const {
    for (const LineEvent& e : events)
        if (e.kind == LineEvent::State && e.state == state)
            return true;
    return false;
}

CallHandle RecordingEvents::FirstCall() const {
    for (const LineEvent& e : events)
        if (e.kind == LineEvent::State)
            return e.call;
    return 0;
}

int RecordingEvents::Rings() const {
    int rings = 0;
    for (const LineEvent& e : events)
        if (e.kind == LineEvent::Ring)
            rings = e.count;
    return rings;
}

std::string RecordingEvents::Digits() const {
    std::string digits;
    for (const LineEvent& e : events)
        if (e.kind == LineEvent::Digit)
            digits += e.digit;
    return digits;
}

int RecordingEvents::DigitsDoneCount() const {
    int count = 0;
    for (const LineEvent& e : events)
        count += e.kind == LineEvent::DigitsDone;
    return count;
}

bool RecordingEvents::HasMedia() const {
    for (const LineEvent& e : events)
        if (e.kind == LineEvent::Media)
            return true;
    return false;
}

std::optional<bool> RecordingEvents::ReplyTo(RequestId request) const {
    for (const LineEvent& e : events)
        if (e.kind == LineEvent::Reply && e.request == request)
            return e.ok;
    return std::nullopt;
}

std::string RecordingEvents::States() const {
    static const char* kNames[] = {"Offering", "Connected", "Disconnected", "Busy", "Idle"};
    std::string text;
    for (const LineEvent& e : events) {
        if (e.kind != LineEvent::State)
            continue;
        if (!text.empty())
            text += " ";
        text += kNames[static_cast<int>(e.state)];
    }
    return text;
}

class ProbeAudio : public MediaPort {
public:
    ProbeAudio(std::shared_ptr<AudioProbe> probe, int id) : probe_(std::move(probe)), id_(id) {}
    int OutputId() const override { return id_; }
    int InputId() const override { return id_ + 1000; }
    void Pull(int16_t* out, size_t samples) override {
        std::lock_guard<std::mutex> lock(probe_->mutex_);
        const double step = 2 * 3.141592653589793 * probe_->toneHz_ / 8000;
        for (size_t i = 0; i < samples; ++i) {
            out[i] = static_cast<int16_t>(8000 * std::sin(probe_->phase_));
            probe_->phase_ = std::fmod(probe_->phase_ + step, 2 * 3.141592653589793);
        }
        probe_->pulled_ += samples;
    }
    void Push(const int16_t* in, size_t samples) override {
        std::lock_guard<std::mutex> lock(probe_->mutex_);
        if (probe_->received_.size() < 8000 * 120)
            probe_->received_.insert(probe_->received_.end(), in, in + samples);
    }

private:
    std::shared_ptr<AudioProbe> probe_;
    int id_;
};

MediaPortFactory AudioProbe::Factory(std::shared_ptr<AudioProbe> probe) {
    return [probe]() -> std::unique_ptr<MediaPort> {
        std::lock_guard<std::mutex> lock(probe->mutex_);
        return std::make_unique<ProbeAudio>(probe, 100 + probe->created_++);
    };
}

std::vector<int16_t> AudioProbe::Received() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
}

size_t AudioProbe::PulledSamples() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return pulled_;
}

int AudioProbe::Created() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return created_;
}

double AudioProbe::ShareAt(double hz, size_t from) const {
    return ToneShare(Received(), hz, from);
}

double ToneShare(const std::vector<int16_t>& samples, double hz, size_t from) {
    // Goertzel over whole blocks of 800 samples (10 Hz bins), summed.
    const size_t block = 800;
    const double coefficient = 2 * std::cos(2 * 3.141592653589793 * hz / 8000);
    double power = 0, energy = 0;
    for (size_t start = from; start + block <= samples.size(); start += block) {
        double q1 = 0, q2 = 0;
        for (size_t i = start; i < start + block; ++i) {
            const double x = samples[i];
            const double q0 = coefficient * q1 - q2 + x;
            q2 = q1;
            q1 = q0;
            energy += x * x;
        }
        power += (q1 * q1 + q2 * q2 - coefficient * q1 * q2) / (block / 2.0);
    }
    return energy > 0 ? power / energy : 0;
}

SipLineTest::SipLineTest() = default;

SipLineTest::~SipLineTest() {
    line_.reset();
}

void SipLineTest::OpenLine(const TelephonySettings& extra, bool realDevices) {
    SipLineHooks hooks = DefaultSipLineHooks();
    if (!realDevices)
        hooks.audio = AudioProbe::Factory(audio_);
    TelephonySettings values = {{"listen", "127.0.0.1:0"}, {"ringinterval", "0.1"}};
    for (const auto& kv : extra)
        values.push_back(kv);
    // Later keys win: move the overrides to the front for SettingOf.
    std::reverse(values.begin(), values.end());
    SipDeviceSettings settings;
    std::string error;
    ASSERT_TRUE(ParseSipDeviceSettings("line0", values, &settings, &error)) << error;
    line_ = SipLine::Open(settings, &events_, hooks, &error);
    ASSERT_TRUE(line_) << error;
    const std::string address = line_->LocalSipAddress();
    port_ = std::stoi(address.substr(address.rfind(':') + 1));
    ASSERT_GT(port_, 0);
}

void SipLineTest::StartSipp(PeerProcess& peer, const std::string& name, const std::string& scenario,
                            const std::vector<std::string>& extra) {
    const std::string file = dir_.Path() + name + ".xml";
    ASSERT_TRUE(orvia::test::WriteFile(file, scenario));
    std::vector<std::string> args = {"sipp",
                                     "-sf",
                                     file,
                                     "-m",
                                     "1",
                                     "-l",
                                     "1",
                                     "-i",
                                     host_,
                                     "-p",
                                     std::to_string(FreePort()),
                                     "-timeout",
                                     "30s",
                                     "-timeout_error",
                                     "-nostdin",
                                     "-trace_err"};
    for (const std::string& a : extra)
        args.push_back(a);
    args.push_back(host_ + ":" + std::to_string(port_));
    ASSERT_TRUE(peer.Start(args, dir_.Path(), name + ".log"));
}

std::optional<int> SipLineTest::FinishPeer(PeerProcess& peer, int ms) {
    std::optional<int> status;
    dispatcher_.RunUntil(
        [&] {
            status = peer.Wait(0);
            return status.has_value();
        },
        ms);
    return status;
}

}  // namespace orvia::sip::test
