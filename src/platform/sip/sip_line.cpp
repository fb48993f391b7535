#include "platform/sip/sip_line.h"

#include "platform/sip/dial_target_p.h"
#include "platform/sip/line_sink_p.h"
#include "platform/sip/sip_account_p.h"
#include "platform/sip/sip_agent_p.h"
#include "platform/sip/sip_loop_p.h"
#include "platform/thread/thread_affinity.h"

namespace orvia::sip {

// Carries the loop's reports to the main thread. Each report runs there only
// while the line is still open.
class SipLine::Sink : public LineSink {
public:
    Sink(std::shared_ptr<Shared> shared, MainPoster post)
        : shared_(std::move(shared)), post_(std::move(post)) {}

    void CallOffered(CallHandle call, const CallerInfo& caller) override {
        Deliver([call, caller](Shared& s) {
            s.calls[call] = CallRecord{caller, -1, -1, false};
            s.events->OnCallState(call, CallState::Offering);
        });
    }
    void CallRinging(CallHandle, int count) override {
        Deliver([count](Shared& s) { s.events->OnRinging(count); });
    }
    void CallConnected(CallHandle call, int waveOut, int waveIn) override {
        Deliver([call, waveOut, waveIn](Shared& s) {
            CallRecord& record = s.calls[call];
            record.waveOut = waveOut;
            record.waveIn = waveIn;
            record.connected = true;
            s.events->OnCallState(call, CallState::Connected);
        });
    }
    void CallStateChanged(CallHandle call, CallState state) override {
        Deliver([call, state](Shared& s) {
            CallRecord& record = s.calls[call];
            if (state != CallState::Connected)
                record.connected = false;
            s.events->OnCallState(call, state);
        });
    }
    void Digit(CallHandle call, char digit) override {
        Deliver([call, digit](Shared& s) { s.events->OnDigitDetected(call, digit); });
    }
    void DigitsGenerated(CallHandle call) override {
        Deliver([call](Shared& s) { s.events->OnDigitsGenerated(call); });
    }
    void MediaDetected(CallHandle call, DetectedMedia media) override {
        Deliver([call, media](Shared& s) { s.events->OnMediaDetected(call, media); });
    }
    void Reply(RequestId request, bool ok) override {
        Deliver([request, ok](Shared& s) { s.events->OnReply(request, ok); });
    }

private:
    template <typename F>
    void Deliver(F report) {
        post_([shared = shared_, report = std::move(report)] {
            if (shared->open)
                report(*shared);
        });
    }

    std::shared_ptr<Shared> shared_;
    MainPoster post_;
};

SipLine::SipLine(std::shared_ptr<SipAccount> account, int channel, LineEvents* events,
                 const MainPoster& post)
    : account_(std::move(account)),
      channel_(channel),
      settings_(account_->Settings()),
      shared_(std::make_shared<Shared>()) {
    shared_->events = events;
    sink_ = std::make_unique<Sink>(shared_, post);
}

std::unique_ptr<SipLine> SipLine::Open(const SipDeviceSettings& settings, LineEvents* events,
                                       const SipLineHooks& hooks, std::string* error) {
    auto account = std::make_shared<SipAccount>(settings, hooks);
    return SipAccount::OpenChannel(account, 0, events, error);
}

SipLine::~SipLine() {
    ORVIA_ASSERT_MAIN_THREAD();
    shared_->open = false;  // reports still on their way are dropped
    account_->CloseChannel(channel_);
}

LineSink* SipLine::LoopSink() const {
    return sink_.get();
}

template <typename Request>
void SipLine::PostToAgent(Request request) {
    SipAgent* agent = account_->Agent();
    account_->Loop().Post([agent, request = std::move(request)] { request(*agent); });
}

const SipLine::CallRecord* SipLine::Find(CallHandle call) const {
    auto it = shared_->calls.find(call);
    return it == shared_->calls.end() ? nullptr : &it->second;
}

RequestId SipLine::NextRequest() {
    const RequestId request = nextRequest_;
    nextRequest_ = nextRequest_ == INT32_MAX ? 1 : nextRequest_ + 1;
    return request;
}

RequestId SipLine::Answer(CallHandle call) {
    ORVIA_ASSERT_MAIN_THREAD();
    if (!Find(call))
        return -1;
    const RequestId request = NextRequest();
    PostToAgent([channel = channel_, call, request](SipAgent& agent) {
        agent.Answer(channel, call, request);
    });
    return request;
}

RequestId SipLine::Drop(CallHandle call) {
    ORVIA_ASSERT_MAIN_THREAD();
    if (!Find(call))
        return -1;
    const RequestId request = NextRequest();
    PostToAgent([channel = channel_, call, request](SipAgent& agent) {
        agent.Drop(channel, call, request);
    });
    return request;
}

RequestId SipLine::MakeCall(const std::string& number) {
    ORVIA_ASSERT_MAIN_THREAD();
    const auto target = BuildDialTarget(number, settings_.domain, settings_.TransportParam());
    if (!target)
        return -1;
    const RequestId request = NextRequest();
    PostToAgent([channel = channel_, uri = *target, request](SipAgent& agent) {
        agent.MakeCall(channel, uri, request);
    });
    return request;
}

RequestId SipLine::BlindTransfer(CallHandle call, const std::string& number) {
    ORVIA_ASSERT_MAIN_THREAD();
    if (!Find(call))
        return -1;
    // A device without a registrar transfers plain numbers within the
    // caller's domain; the call knows it on the loop.
    if (!BuildDialTarget(number, "example.invalid", ""))
        return -1;
    const RequestId request = NextRequest();
    PostToAgent([channel = channel_, call, number, request](SipAgent& agent) {
        agent.BlindTransfer(channel, call, number, request);
    });
    return request;
}

bool SipLine::GenerateDigits(CallHandle call, const std::string& digits) {
    ORVIA_ASSERT_MAIN_THREAD();
    const CallRecord* record = Find(call);
    if (!record || !record->connected)
        return false;
    PostToAgent([channel = channel_, call, digits](SipAgent& agent) {
        agent.GenerateDigits(channel, call, digits);
    });
    return true;
}

HandoffResult SipLine::Handoff(CallHandle call, DetectedMedia) {
    ORVIA_ASSERT_MAIN_THREAD();
    // No fax or data application takes calls from this provider, so the
    // engine's own fax handling runs.
    return Find(call) ? HandoffResult::TargetNotFound : HandoffResult::Failed;
}

void SipLine::Deallocate(CallHandle call) {
    ORVIA_ASSERT_MAIN_THREAD();
    shared_->calls.erase(call);
}

CallerInfo SipLine::GetCallerInfo(CallHandle call) {
    ORVIA_ASSERT_MAIN_THREAD();
    const CallRecord* record = Find(call);
    return record ? record->caller : CallerInfo();
}

int SipLine::WaveOutDevice(CallHandle call) {
    ORVIA_ASSERT_MAIN_THREAD();
    const CallRecord* record = Find(call);
    return record ? record->waveOut : -1;
}

int SipLine::WaveInDevice(CallHandle call) {
    ORVIA_ASSERT_MAIN_THREAD();
    const CallRecord* record = Find(call);
    return record ? record->waveIn : -1;
}

LineDeviceStatus SipLine::DeviceStatus() const {
    ORVIA_ASSERT_MAIN_THREAD();
    LineDeviceStatus status;
    SipAgent* agent = account_->Agent();
    account_->Loop().Call([&] {
        const std::string address = agent->LocalAddress();
        if (!address.empty())
            status.address = address + " (" + settings_.TransportName() + ")";
        status.registration = agent->Registration();
    });
    return status;
}

std::string SipLine::LocalSipAddress() const {
    std::string address;
    SipAgent* agent = account_->Agent();
    account_->Loop().Call([&] { address = agent->LocalAddress(); });
    return address;
}

bool SipLine::IsRegistered() const {
    bool registered = false;
    SipAgent* agent = account_->Agent();
    account_->Loop().Call([&] { registered = agent->Registered(); });
    return registered;
}

}  // namespace orvia::sip
