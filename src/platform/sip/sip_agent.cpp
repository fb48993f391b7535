#include "platform/sip/sip_agent_p.h"

#include <algorithm>
#include <cstdio>

#include "platform/diagnostics/diagnostics.h"
#include "platform/sip/libre_p.h"
#include "platform/sip/sip_call_p.h"
#include "platform/sip/sip_loop_p.h"
#include "platform/time/clock.h"

namespace orvia::sip {
namespace {

// Waits before another registration after failures in a row: 30 s, doubled
// with each further failure, at most 30 minutes.
constexpr int kFirstRetrySeconds = 30;
constexpr int kLongestRetrySeconds = 1800;

std::string ErrorText(int err) {
    char text[128] = {};
    (void)re_snprintf(text, sizeof(text), "%m", err);
    return text;
}

std::string Text(const struct pl& text) {
    return std::string(text.p ? text.p : "", text.p ? text.l : 0);
}

int RetrySeconds(int failuresInARow) {
    int seconds = kFirstRetrySeconds;
    for (int n = 1; n < failuresInARow && seconds < kLongestRetrySeconds; ++n)
        seconds *= 2;
    return std::min(seconds, kLongestRetrySeconds);
}

std::string ClockText(int64_t localSeconds) {
    const LocalFields t = BreakDown(localSeconds);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return text;
}

}  // namespace

struct SipAgent::Handles {
    struct tmr keepalive;
    struct tmr retry;
    struct sa registrarAddress;
    bool haveRegistrarAddress = false;

    Handles() {
        tmr_init(&keepalive);
        tmr_init(&retry);
        sa_init(&registrarAddress, AF_UNSPEC);
    }
};

SipAgent::SipAgent(const SipDeviceSettings& settings, SipLoop* loop, LineSink* sink,
                   MediaPortFactory audio)
    : settings_(settings),
      loop_(loop),
      sink_(sink),
      audio_(std::move(audio)),
      handles_(std::make_unique<Handles>()) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
}

std::unique_ptr<SipAgent> SipAgent::Create(const SipDeviceSettings& settings, SipLoop* loop,
                                           LineSink* sink, MediaPortFactory audio,
                                           std::string* error) {
    std::unique_ptr<SipAgent> agent(new SipAgent(settings, loop, sink, std::move(audio)));
    if (!settings.registrar.empty())
        agent->RegistrationStarted();
    agent->stack_ = SipStack::Open(settings, loop, agent.get(), error);
    if (!agent->stack_)
        return nullptr;
    return agent;
}

SipAgent::~SipAgent() {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    tmr_cancel(&handles_->keepalive);
    tmr_cancel(&handles_->retry);
    closing_ = true;
    // Deleted here, while the stack can still send their BYE (or 486,
    // CANCEL): a call never outlives its agent.
    ended_.clear();
    if (call_) {
        call_->Abandon();
        call_.reset();
    }
    // The stack stays until those last transactions and the un-REGISTER
    // have finished.
    if (stack_)
        stack_->Retire();
}

std::unique_ptr<MediaPort> SipAgent::NewMediaPort() const {
    return audio_ ? audio_() : nullptr;
}

std::string SipAgent::Who() const {
    return "SIP device [" + settings_.section + "] \"" + settings_.name + "\"";
}

void SipAgent::RegistrationStarted() {
    registration_.state = RegistrationState::Registering;
    registration_.registrar = settings_.registrar;
    registration_.nextTry = 0;
}

void SipAgent::OnRegisterResponse(int err, const struct sip_msg* msg) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    Handles& h = *handles_;
    // A provisional answer says nothing yet.
    if (closing_ || (!err && msg && msg->scode < 200))
        return;
    const bool ok = !err && msg && msg->scode >= 200 && msg->scode < 300;
    if (!ok) {
        registered_ = false;
        tmr_cancel(&h.keepalive);
        RegistrationFailed(msg ? std::to_string(msg->scode) + " " + Text(msg->reason)
                               : ErrorText(err));
        return;
    }
    const bool was = registered_;
    registered_ = true;
    failuresInARow_ = 0;
    registration_.state = RegistrationState::Registered;
    registration_.detail = std::to_string(msg->scode) + " " + Text(msg->reason);
    registration_.nextTry = 0;
    if (!was)
        ReportInfo("sip", Who() + ": registered with " + settings_.registrar + " as " +
                              settings_.AddressOfRecord());
    h.registrarAddress = msg->src;
    h.haveRegistrarAddress = true;
    if (settings_.natKeepaliveSeconds > 0 && !tmr_isrunning(&h.keepalive))
        tmr_start(&h.keepalive, static_cast<uint64_t>(settings_.natKeepaliveSeconds) * 1000,
                  &SipAgent::OnKeepaliveTimer, this);
}

void SipAgent::RegistrationFailed(const std::string& reason) {
    ++failuresInARow_;
    const int wait = RetrySeconds(failuresInARow_);
    registration_.state = RegistrationState::Failed;
    registration_.detail = reason;
    registration_.nextTry = LocalNow() + wait;
    ReportError("sip", Who() + ": registration with " + settings_.registrar + " as " +
                           settings_.AddressOfRecord() + " failed: " + reason + "; next try at " +
                           ClockText(registration_.nextTry) + " (in " + std::to_string(wait) +
                           " s)");
    // The stack would try again on a schedule of its own; the registration
    // is ended (once this handler has returned, from the timer) and made anew
    // at the time just said.
    retryWaits_ = false;
    tmr_start(&handles_->retry, 0, &SipAgent::OnRetryTimer, this);
}

void SipAgent::OnRetryTimer(void* arg) {
    auto* self = static_cast<SipAgent*>(arg);
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    Handles& h = *self->handles_;
    if (!self->retryWaits_) {
        self->stack_->Unregister();
        self->retryWaits_ = true;
        tmr_start(&h.retry, static_cast<uint64_t>(RetrySeconds(self->failuresInARow_)) * 1000,
                  &SipAgent::OnRetryTimer, self);
        return;
    }
    self->RegistrationStarted();
    const int err = self->stack_->Register();
    if (err)
        self->RegistrationFailed(ErrorText(err));
}

void SipAgent::OnKeepaliveTimer(void* arg) {
    auto* self = static_cast<SipAgent*>(arg);
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    Handles& h = *self->handles_;
    if (!self->registered_ || !h.haveRegistrarAddress)
        return;
    // A blank line keeps the NAT binding towards the registrar open.
    static uint8_t crlf[4] = {'\r', '\n', '\r', '\n'};
    struct mbuf mb;
    mb.buf = crlf;
    mb.size = sizeof(crlf);
    mb.pos = 0;
    mb.end = sizeof(crlf);
    (void)sip_send(self->Stack(), nullptr,
                   self->settings_.transport == SipTransport::Tcp ? SIP_TRANSP_TCP : SIP_TRANSP_UDP,
                   &h.registrarAddress, &mb);
    tmr_start(&h.keepalive, static_cast<uint64_t>(self->settings_.natKeepaliveSeconds) * 1000,
              &SipAgent::OnKeepaliveTimer, self);
}

void SipAgent::OnIncomingCall(const struct sip_msg* msg) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    char source[64] = {};
    (void)sa_ntop(&msg->src, source, sizeof(source));
    if (!settings_.acceptFrom.Allows(source)) {
        (void)sip_treply(nullptr, Stack(), msg, 403, "Forbidden");
        return;
    }
    if (call_) {
        (void)sip_treply(nullptr, Stack(), msg, 486, "Busy Here");
        return;
    }
    auto call = std::make_unique<SipCall>(this, nextHandle_++);
    SipCall* raw = call.get();
    call_ = std::move(call);
    const uint16_t refusal = raw->Accept(msg);
    if (refusal) {
        // Nothing was reported about this call yet.
        call_.reset();
        (void)sip_treply(nullptr, Stack(), msg, refusal,
                         refusal == 488 ? "Not Acceptable Here" : "Server Internal Error");
    }
}

SipCall* SipAgent::Find(CallHandle call) const {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    return call_ && call_->Handle() == call && !call_->Ended() ? call_.get() : nullptr;
}

void SipAgent::CallEnded(SipCall* call) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    if (closing_ || call_.get() != call)
        return;
    // Deleted once the libre handler that ended it has returned, unless the
    // agent goes first and takes it along.
    ended_.push_back(std::move(call_));
    loop_->Post([this, alive = std::weak_ptr<int>(alive_)] {
        if (alive.lock())
            ended_.clear();
    });
}

void SipAgent::Answer(CallHandle handle, RequestId request) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    if (SipCall* call = Find(handle))
        call->Answer(request);
    else
        sink_->Reply(request, false);
}

void SipAgent::Drop(CallHandle handle, RequestId request) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    if (SipCall* call = Find(handle))
        call->Hangup(request);
    else
        sink_->Reply(request, true);  // the call is gone already
}

void SipAgent::MakeCall(const std::string& uri, RequestId request) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    if (call_) {
        sink_->Reply(request, false);
        return;
    }
    call_ = std::make_unique<SipCall>(this, nextHandle_++);
    if (!call_->Connect(uri, request)) {
        call_.reset();
        sink_->Reply(request, false);
    }
}

void SipAgent::BlindTransfer(CallHandle handle, const std::string& number, RequestId request) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    if (SipCall* call = Find(handle))
        call->Transfer(number, request);
    else
        sink_->Reply(request, false);
}

void SipAgent::GenerateDigits(CallHandle handle, const std::string& digits) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    if (SipCall* call = Find(handle))
        call->SendDigits(digits);
}

}  // namespace orvia::sip
