#include "platform/sip/sip_agent_p.h"

#include <algorithm>
#include <cstdio>

#include "platform/diagnostics/diagnostics.h"
#include "platform/sip/libre_p.h"
#include "platform/sip/request_check_p.h"
#include "platform/sip/sip_call_p.h"
#include "platform/sip/sip_loop_p.h"
#include "platform/sip/sip_tls_p.h"
#include "platform/time/clock.h"

namespace orvia::sip {
namespace {

constexpr uint32_t kRegisterExpires = 3600;
// Waits before another registration after failures in a row: 30 s, doubled
// with each further failure, at most 30 minutes.
constexpr int kFirstRetrySeconds = 30;
constexpr int kLongestRetrySeconds = 1800;
constexpr char kAllow[] = "INVITE, ACK, BYE, CANCEL, OPTIONS, INFO, NOTIFY, REFER";

std::string ToString(const struct sa& address) {
    char text[64] = {};
    (void)re_snprintf(text, sizeof(text), "%J", &address);
    return text;
}

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

enum sip_transp TransportOf(const SipDeviceSettings& settings) {
    switch (settings.transport) {
        case SipTransport::Tcp:
            return SIP_TRANSP_TCP;
        case SipTransport::Tls:
            return SIP_TRANSP_TLS;
        case SipTransport::Udp:
            break;
    }
    return SIP_TRANSP_UDP;
}

std::string ClockText(int64_t localSeconds) {
    const LocalFields t = BreakDown(localSeconds);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return text;
}

}  // namespace

struct SipAgent::Handles {
    struct dnsc* dns = nullptr;
    struct sip_lsnr* requests = nullptr;
    struct sipreg* registration = nullptr;
    struct tmr keepalive;
    struct tmr retry;
    struct sa registrarAddress;
    bool haveRegistrarAddress = false;
    struct sa listenAddress;
    struct sa mediaAddress;
    std::unique_ptr<SipTls> tls;

    Handles() {
        tmr_init(&keepalive);
        tmr_init(&retry);
        sa_init(&registrarAddress, AF_UNSPEC);
        sa_init(&listenAddress, AF_UNSPEC);
        sa_init(&mediaAddress, AF_UNSPEC);
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
    const int err = agent->Start();
    if (err) {
        *error = "SIP on " + settings.listenHost + ":" + std::to_string(settings.listenPort) +
                 " (" + settings.TransportName() +
                 "): " + (agent->startError_.empty() ? ErrorText(err) : agent->startError_);
        return nullptr;
    }
    return agent;
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
    if (!channel.dialledHost.empty() && handles_->tls)
        handles_->tls->Forget(channel.dialledHost);
    channel.dialledHost.clear();
}

int SipAgent::Start() {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    Handles& h = *handles_;
    int err = sa_set_str(&h.listenAddress, settings_.listenHost.c_str(), settings_.listenPort);
    if (err)
        return err;
    if (sa_is_any(&h.listenAddress)) {
        // libre writes the bound address into Contact and SDP, so a wildcard
        // becomes the address of the interface the default route uses.
        struct sa ip;
        err = net_default_source_addr_get(sa_af(&h.listenAddress), &ip);
        if (err)
            return err;
        sa_set_port(&ip, settings_.listenPort);
        h.listenAddress = ip;
    }
    h.mediaAddress = h.listenAddress;
    sa_set_port(&h.mediaAddress, 0);

    // Names in the registrar, proxy or dialled URIs need DNS; addresses do not.
    struct sa servers[4];
    uint32_t count = 4;
    char domain[64] = {};
    if (!dns_srv_get(domain, sizeof(domain), servers, &count) && count > 0)
        (void)dnsc_alloc(&h.dns, nullptr, servers, count);

    err = sip_alloc(&sip_, h.dns, 32, 32, 32, "Orvia", nullptr, nullptr);
    if (err)
        return err;
    if (settings_.transport == SipTransport::Tls) {
        h.tls = SipTls::Create(settings_, Who(), &startError_);
        if (!h.tls)
            return EINVAL;
        err = sip_transp_add(sip_, SIP_TRANSP_TLS, &h.listenAddress, h.tls->Context());
    } else {
        err = sip_transp_add(sip_, TransportOf(settings_), &h.listenAddress);
    }
    if (err)
        return err;
    err = sip_listen(&h.requests, sip_, true, &SipAgent::OnRequest, this);
    if (err)
        return err;
    err = sipsess_listen(&sessions_, sip_, 32, &SipAgent::OnIncomingCall, this);
    if (err)
        return err;
    err = sip_auth_alloc(&auth_, &SipAgent::AuthHandler, this, false);
    if (err)
        return err;
    if (!settings_.registrar.empty())
        return StartRegistration();
    return 0;
}

std::string SipAgent::Who() const {
    return "SIP device [" + settings_.section + "] \"" + settings_.name + "\"";
}

int SipAgent::StartRegistration() {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    registration_.state = RegistrationState::Registering;
    registration_.registrar = settings_.registrar;
    registration_.nextTry = 0;
    const std::string aor = settings_.AddressOfRecord();
    const char* routes[1] = {settings_.outboundProxy.c_str()};
    const uint32_t routeCount = settings_.outboundProxy.empty() ? 0 : 1;
    return sipreg_register(&handles_->registration, sip_, settings_.registrar.c_str(), aor.c_str(),
                           settings_.displayName.empty() ? nullptr : settings_.displayName.c_str(),
                           aor.c_str(), kRegisterExpires, settings_.ContactUser().c_str(),
                           routeCount ? routes : nullptr, routeCount, 0, &SipAgent::AuthHandler,
                           this, false, &SipAgent::OnRegisterResponse, this, nullptr, nullptr);
}

SipAgent::~SipAgent() {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    Handles& h = *handles_;
    tmr_cancel(&h.keepalive);
    tmr_cancel(&h.retry);
    closing_ = true;
    for (Channel& channel : channels_) {
        // Deleted here, while the stack can still send its BYE (or 486, CANCEL).
        if (channel.call) {
            channel.call->Abandon();
            channel.call.reset();
        }
    }
    // The registration's destructor sends the un-REGISTER; the forced close
    // below then ends what is still in flight.
    h.registration = static_cast<struct sipreg*>(mem_deref(h.registration));
    sessions_ = static_cast<struct sipsess_sock*>(mem_deref(sessions_));
    h.requests = static_cast<struct sip_lsnr*>(mem_deref(h.requests));
    auth_ = static_cast<struct sip_auth*>(mem_deref(auth_));
    if (sip_)
        sip_close(sip_, true);
    sip_ = static_cast<struct sip*>(mem_deref(sip_));
    h.dns = static_cast<struct dnsc*>(mem_deref(h.dns));
}

std::string SipAgent::LocalAddress() const {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    struct sa address;
    if (!sip_ || sip_transp_laddr(sip_, &address, TransportOf(settings_), nullptr))
        return {};
    return ToString(address);
}

const struct sa& SipAgent::MediaAddress() const {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    return handles_->mediaAddress;
}

std::unique_ptr<MediaPort> SipAgent::NewMediaPort() const {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    return audio_ ? audio_() : nullptr;
}

int SipAgent::AuthHandler(char** user, char** password, const char*, void* arg) {
    auto* self = static_cast<SipAgent*>(arg);
    int err = str_dup(user, self->settings_.authUser.c_str());
    err |= str_dup(password, self->settings_.password.c_str());
    return err;
}

void SipAgent::OnRegisterResponse(int err, const struct sip_msg* msg, void* arg) {
    auto* self = static_cast<SipAgent*>(arg);
    Handles& h = *self->handles_;
    // A provisional answer says nothing yet.
    if (self->closing_ || (!err && msg && msg->scode < 200))
        return;
    const bool ok = !err && msg && msg->scode >= 200 && msg->scode < 300;
    if (!ok) {
        self->registered_ = false;
        tmr_cancel(&h.keepalive);
        std::string reason =
            msg ? std::to_string(msg->scode) + " " + Text(msg->reason) : ErrorText(err);
        const int retryAfter = RetryAfterSeconds(msg);
        if (h.tls) {
            const std::string refusal = h.tls->TakeRefusal();
            if (!refusal.empty())
                reason = refusal;
        }
        self->RegistrationFailed(reason, retryAfter);
        return;
    }
    const bool was = self->registered_;
    self->registered_ = true;
    self->failuresInARow_ = 0;
    self->registration_.state = RegistrationState::Registered;
    self->registration_.detail = std::to_string(msg->scode) + " " + Text(msg->reason);
    self->registration_.nextTry = 0;
    if (!was)
        ReportInfo("sip", self->Who() + ": registered with " + self->settings_.registrar + " as " +
                              self->settings_.AddressOfRecord());
    h.registrarAddress = msg->src;
    h.haveRegistrarAddress = true;
    if (self->settings_.natKeepaliveSeconds > 0 && !tmr_isrunning(&h.keepalive))
        tmr_start(&h.keepalive, static_cast<uint64_t>(self->settings_.natKeepaliveSeconds) * 1000,
                  &SipAgent::OnKeepaliveTimer, self);
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
    Handles& h = *self->handles_;
    if (!self->retryWaits_) {
        h.registration = static_cast<struct sipreg*>(mem_deref(h.registration));
        self->retryWaits_ = true;
        tmr_start(&h.retry, static_cast<uint64_t>(self->retryWait_) * 1000, &SipAgent::OnRetryTimer,
                  self);
        return;
    }
    const int err = self->StartRegistration();
    if (err)
        self->RegistrationFailed(ErrorText(err));
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
    (void)sip_send(self->sip_, nullptr, TransportOf(self->settings_), &h.registrarAddress, &mb);
    tmr_start(&h.keepalive, static_cast<uint64_t>(self->settings_.natKeepaliveSeconds) * 1000,
              &SipAgent::OnKeepaliveTimer, self);
}

bool SipAgent::OnRequest(const struct sip_msg* msg, void* arg) {
    auto* self = static_cast<SipAgent*>(arg);
    // Every request passes here before any dialog sees it.
    if (const std::string problem = MissingMandatoryHeader(msg); !problem.empty()) {
        self->RefuseBadRequest(msg, problem);
        return true;
    }
    if (pl_strcmp(&msg->met, "OPTIONS") != 0)
        return false;
    (void)sip_treplyf(nullptr, nullptr, self->sip_, msg, false, 200, "OK",
                      "Allow: %s\r\n"
                      "Accept: application/sdp\r\n"
                      "Content-Length: 0\r\n"
                      "\r\n",
                      kAllow);
    return true;
}

void SipAgent::RefuseBadRequest(const struct sip_msg* msg, const std::string& problem) {
    if (pl_strcmp(&msg->met, "ACK") == 0)
        return;  // never answered
    if (sip_msg_hdr(msg, SIP_HDR_VIA) && pl_isset(&msg->via.sentby)) {
        (void)sip_replyf(sip_, msg, 400, "Bad Request",
                         "Warning: 399 orvia \"%s\"\r\n"
                         "Content-Length: 0\r\n"
                         "\r\n",
                         problem.c_str());
        return;
    }
    // Without a Via the reply goes back where the request came from, with
    // what identifies the request.
    struct mbuf* reply = mbuf_alloc(512);
    if (!reply)
        return;
    int err = mbuf_printf(reply, "SIP/2.0 400 Bad Request\r\n");
    for (const enum sip_hdrid id : {SIP_HDR_FROM, SIP_HDR_TO, SIP_HDR_CALL_ID, SIP_HDR_CSEQ}) {
        if (const struct sip_hdr* hdr = sip_msg_hdr(msg, id))
            err |= mbuf_printf(reply, "%r: %r\r\n", &hdr->name, &hdr->val);
    }
    err |= mbuf_printf(reply,
                       "Warning: 399 orvia \"%s\"\r\n"
                       "Content-Length: 0\r\n"
                       "\r\n",
                       problem.c_str());
    reply->pos = 0;
    if (!err)
        (void)sip_send(sip_, msg->sock, msg->tp, &msg->src, reply);
    mem_deref(reply);
}

void SipAgent::OnIncomingCall(const struct sip_msg* msg, void* arg) {
    auto* self = static_cast<SipAgent*>(arg);
    char source[64] = {};
    (void)sa_ntop(&msg->src, source, sizeof(source));
    if (!self->settings_.acceptFrom.Allows(source)) {
        (void)sip_treply(nullptr, self->sip_, msg, 403, "Forbidden");
        return;
    }
    // The first open channel without a call takes it.
    Channel* free = nullptr;
    for (Channel& channel : self->channels_) {
        if (channel.sink && !channel.call) {
            free = &channel;
            break;
        }
    }
    if (!free) {
        (void)sip_treply(nullptr, self->sip_, msg, 486, "Busy Here");
        return;
    }
    free->call = std::make_unique<SipCall>(self, free->sink, self->nextHandle_++);
    const uint16_t refusal = free->call->Accept(msg);
    if (refusal) {
        // Nothing was reported about this call yet.
        free->call.reset();
        (void)sip_treply(nullptr, self->sip_, msg, refusal,
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

void SipAgent::CallEnded(SipCall* call) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    if (closing_)
        return;
    for (Channel& channel : channels_) {
        if (channel.call.get() != call)
            continue;
        ForgetDialledHost(channel);
        // Deleted once the libre handler that ended it has returned.
        SipCall* dying = channel.call.release();
        loop_->Post([dying] { delete dying; });
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
    std::unique_ptr<SipCall>& slot = channels_[static_cast<size_t>(channel)].call;
    if (slot) {
        sink->Reply(request, false);
        return;
    }
    Channel& dialling = channels_[static_cast<size_t>(channel)];
    if (handles_->tls) {
        // The server at the dialled host must show a certificate of that host.
        struct uri decoded;
        struct pl text;
        pl_set_str(&text, uri.c_str());
        if (uri_decode(&decoded, &text) == 0 && pl_isset(&decoded.host)) {
            dialling.dialledHost.assign(decoded.host.p, decoded.host.l);
            handles_->tls->Expect(dialling.dialledHost);
        }
    }
    slot = std::make_unique<SipCall>(this, sink, nextHandle_++);
    if (!slot->Connect(uri, request)) {
        slot.reset();
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
