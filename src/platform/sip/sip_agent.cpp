#include "platform/sip/sip_agent_p.h"

#include <algorithm>
#include <cstdio>

#include "platform/diagnostics/diagnostics.h"
#include "platform/sip/libre_p.h"
#include "platform/sip/sip_call_p.h"
#include "platform/sip/sip_loop_p.h"
#include "platform/sip/sip_tls_p.h"
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

// A registrar's Retry-After ("120", "120;duration=3600", "120 (busy)"): its
// seconds, 0 when there is none.
int RetryAfterSeconds(const struct sip_msg* msg) {
    const struct sip_hdr* header = msg ? sip_msg_hdr(msg, SIP_HDR_RETRY_AFTER) : nullptr;
    if (!header)
        return 0;
    struct pl digits;
    if (re_regex(header->val.p, header->val.l, "[0-9]+", &digits) != 0 || digits.l > 6)
        return 0;
    return static_cast<int>(pl_u32(&digits));
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

SipAgent::SipAgent(const SipDeviceSettings& settings, SipLoop* loop, MediaPortFactory audio)
    : settings_(settings),
      loop_(loop),
      audio_(std::move(audio)),
      handles_(std::make_unique<Handles>()),
      channels_(static_cast<size_t>(std::max(settings.channels, 1))) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
}

std::unique_ptr<SipAgent> SipAgent::Create(const SipDeviceSettings& settings, SipLoop* loop,
                                           MediaPortFactory audio, std::string* error) {
    std::unique_ptr<SipAgent> agent(new SipAgent(settings, loop, std::move(audio)));
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
    for (Channel& channel : channels_) {
        if (channel.call) {
            channel.call->Abandon();
            channel.call.reset();
        }
    }
    // The stack stays until those last transactions and the un-REGISTER
    // have finished.
    if (stack_)
        stack_->Retire();
}

void SipAgent::OpenChannel(int channel, LineSink* sink) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    if (channel >= 0 && static_cast<size_t>(channel) < channels_.size())
        channels_[static_cast<size_t>(channel)].sink = sink;
}

void SipAgent::CloseChannel(int channel) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    if (channel < 0 || static_cast<size_t>(channel) >= channels_.size())
        return;
    Channel& slot = channels_[static_cast<size_t>(channel)];
    slot.sink = nullptr;
    ForgetDialledHost(slot);
    // Taken out first, so that ending it finds no channel to report to; it is
    // deleted here, while the stack can still send its BYE (or 486, CANCEL).
    std::unique_ptr<SipCall> call = std::move(slot.call);
    if (call)
        call->Abandon();
}

void SipAgent::ForgetDialledHost(Channel& channel) {
    if (!channel.dialledHost.empty() && stack_->Tls())
        stack_->Tls()->Forget(channel.dialledHost);
    channel.dialledHost.clear();
}

std::unique_ptr<MediaPort> SipAgent::NewMediaPort() const {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
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
        std::string reason =
            msg ? std::to_string(msg->scode) + " " + Text(msg->reason) : ErrorText(err);
        if (SipTls* tls = stack_->Tls()) {
            const std::string refusal = tls->TakeRefusal();
            if (!refusal.empty())
                reason = refusal;
        }
        RegistrationFailed(reason, RetryAfterSeconds(msg));
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

void SipAgent::RegistrationFailed(const std::string& reason, int retryAfter) {
    ++failuresInARow_;
    const int wait = retryAfter > 0 ? std::clamp(retryAfter, 1, kLongestRetrySeconds)
                                    : RetrySeconds(failuresInARow_);
    retryWait_ = wait;
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
        tmr_start(&h.retry, static_cast<uint64_t>(self->retryWait_) * 1000, &SipAgent::OnRetryTimer,
                  self);
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
    (void)sip_send(self->Stack(), nullptr, static_cast<enum sip_transp>(self->stack_->Transport()),
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
    // The first open channel without a call takes it.
    Channel* free = nullptr;
    for (Channel& channel : channels_) {
        if (channel.sink && !channel.call) {
            free = &channel;
            break;
        }
    }
    if (!free) {
        (void)sip_treply(nullptr, Stack(), msg, 486, "Busy Here");
        return;
    }
    free->call = std::make_unique<SipCall>(this, free->sink, nextHandle_++);
    const uint16_t refusal = free->call->Accept(msg);
    if (refusal) {
        // Nothing was reported about this call yet.
        free->call.reset();
        (void)sip_treply(nullptr, Stack(), msg, refusal,
                         refusal == 488 ? "Not Acceptable Here" : "Server Internal Error");
    }
}

SipCall* SipAgent::Find(int channel, CallHandle call) const {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    if (channel < 0 || static_cast<size_t>(channel) >= channels_.size())
        return nullptr;
    const std::unique_ptr<SipCall>& found = channels_[static_cast<size_t>(channel)].call;
    return found && found->Handle() == call && !found->Ended() ? found.get() : nullptr;
}

LineSink* SipAgent::SinkOf(int channel) const {
    if (channel < 0 || static_cast<size_t>(channel) >= channels_.size())
        return nullptr;
    return channels_[static_cast<size_t>(channel)].sink;
}

void SipAgent::DeleteLater(std::unique_ptr<SipCall> call) {
    ended_.push_back(std::move(call));
    loop_->Post([this, alive = std::weak_ptr<int>(alive_)] {
        if (alive.lock())
            ended_.clear();
    });
}

void SipAgent::CallEnded(SipCall* call) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    if (closing_)
        return;
    for (Channel& channel : channels_) {
        if (channel.call.get() != call)
            continue;
        ForgetDialledHost(channel);
        DeleteLater(std::move(channel.call));
        return;
    }
}

void SipAgent::Answer(int channel, CallHandle handle, RequestId request) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    if (SipCall* call = Find(channel, handle))
        call->Answer(request);
    else if (LineSink* sink = SinkOf(channel))
        sink->Reply(request, false);
}

void SipAgent::Drop(int channel, CallHandle handle, RequestId request) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    if (SipCall* call = Find(channel, handle))
        call->Hangup(request);
    else if (LineSink* sink = SinkOf(channel))
        sink->Reply(request, true);  // the call is gone already
}

void SipAgent::MakeCall(int channel, const std::string& uri, RequestId request) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    LineSink* sink = SinkOf(channel);
    if (!sink)
        return;
    Channel& dialling = channels_[static_cast<size_t>(channel)];
    if (dialling.call) {
        sink->Reply(request, false);
        return;
    }
    if (SipTls* tls = stack_->Tls()) {
        // The server at the dialled host must show a certificate of that host.
        struct uri decoded;
        struct pl text;
        pl_set_str(&text, uri.c_str());
        if (uri_decode(&decoded, &text) == 0 && pl_isset(&decoded.host)) {
            dialling.dialledHost.assign(decoded.host.p, decoded.host.l);
            tls->Expect(dialling.dialledHost);
        }
    }
    dialling.call = std::make_unique<SipCall>(this, sink, nextHandle_++);
    if (!dialling.call->Connect(uri, request)) {
        dialling.call.reset();
        ForgetDialledHost(dialling);
        sink->Reply(request, false);
    }
}

void SipAgent::BlindTransfer(int channel, CallHandle handle, const std::string& number,
                             RequestId request) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    if (SipCall* call = Find(channel, handle))
        call->Transfer(number, request);
    else if (LineSink* sink = SinkOf(channel))
        sink->Reply(request, false);
}

void SipAgent::GenerateDigits(int channel, CallHandle handle, const std::string& digits) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    if (SipCall* call = Find(channel, handle))
        call->SendDigits(digits);
}

}  // namespace orvia::sip
