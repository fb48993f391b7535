#include "platform/sip/sip_agent.h"

#include "platform/sip/libre.h"
#include "platform/sip/sip_call.h"
#include "platform/sip/sip_loop.h"

namespace orvia::sip {

struct SipAgent::Handles {
    struct tmr keepalive;
    struct sa registrarAddress;
    bool haveRegistrarAddress = false;

    Handles() {
        tmr_init(&keepalive);
        sa_init(&registrarAddress, AF_UNSPEC);
    }
};

SipAgent::SipAgent(const SipDeviceSettings& settings, SipLoop* loop, LineSink* sink,
                   CallAudioFactory audio)
    : settings_(settings),
      loop_(loop),
      sink_(sink),
      audio_(std::move(audio)),
      handles_(std::make_unique<Handles>()) {}

std::unique_ptr<SipAgent> SipAgent::Create(const SipDeviceSettings& settings, SipLoop* loop,
                                           LineSink* sink, CallAudioFactory audio,
                                           std::string* error) {
    std::unique_ptr<SipAgent> agent(new SipAgent(settings, loop, sink, std::move(audio)));
    agent->stack_ = SipStack::Open(settings, loop, agent.get(), error);
    if (!agent->stack_)
        return nullptr;
    return agent;
}

SipAgent::~SipAgent() {
    tmr_cancel(&handles_->keepalive);
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

std::unique_ptr<CallAudio> SipAgent::NewCallAudio() const {
    return audio_ ? audio_() : nullptr;
}

void SipAgent::OnRegisterResponse(int err, const struct sip_msg* msg) {
    Handles& h = *handles_;
    const bool ok = !err && msg && msg->scode >= 200 && msg->scode < 300;
    registered_ = ok;
    if (!ok) {
        tmr_cancel(&h.keepalive);
        return;
    }
    h.registrarAddress = msg->src;
    h.haveRegistrarAddress = true;
    if (settings_.natKeepaliveSeconds > 0 && !tmr_isrunning(&h.keepalive))
        tmr_start(&h.keepalive, static_cast<uint64_t>(settings_.natKeepaliveSeconds) * 1000,
                  &SipAgent::OnKeepaliveTimer, this);
}

void SipAgent::OnKeepaliveTimer(void* arg) {
    auto* self = static_cast<SipAgent*>(arg);
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
    return call_ && call_->Handle() == call && !call_->Ended() ? call_.get() : nullptr;
}

void SipAgent::CallEnded(SipCall* call) {
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
    if (SipCall* call = Find(handle))
        call->Answer(request);
    else
        sink_->Reply(request, false);
}

void SipAgent::Drop(CallHandle handle, RequestId request) {
    if (SipCall* call = Find(handle))
        call->Hangup(request);
    else
        sink_->Reply(request, true);  // the call is gone already
}

void SipAgent::MakeCall(const std::string& uri, RequestId request) {
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
    if (SipCall* call = Find(handle))
        call->Transfer(number, request);
    else
        sink_->Reply(request, false);
}

void SipAgent::GenerateDigits(CallHandle handle, const std::string& digits) {
    if (SipCall* call = Find(handle))
        call->SendDigits(digits);
}

}  // namespace orvia::sip
