#include "platform/sip/sip_agent_p.h"

#include "platform/sip/libre_p.h"
#include "platform/sip/sip_call_p.h"
#include "platform/sip/sip_loop_p.h"

namespace orvia::sip {
namespace {

constexpr uint32_t kRegisterExpires = 3600;
constexpr char kAllow[] = "INVITE, ACK, BYE, CANCEL, OPTIONS, INFO, NOTIFY, REFER";

std::string ToString(const struct sa& address) {
    char text[64] = {};
    (void)re_snprintf(text, sizeof(text), "%J", &address);
    return text;
}

}  // namespace

struct SipAgent::Handles {
    struct dnsc* dns = nullptr;
    struct sip_lsnr* requests = nullptr;
    struct sipreg* registration = nullptr;
    struct tmr keepalive;
    struct sa registrarAddress;
    bool haveRegistrarAddress = false;
    struct sa listenAddress;
    struct sa mediaAddress;

    Handles() {
        tmr_init(&keepalive);
        sa_init(&registrarAddress, AF_UNSPEC);
        sa_init(&listenAddress, AF_UNSPEC);
        sa_init(&mediaAddress, AF_UNSPEC);
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
    const int err = agent->Start();
    if (err) {
        char text[128] = {};
        (void)re_snprintf(text, sizeof(text), "%m", err);
        *error = "SIP on " + settings.listenHost + ":" + std::to_string(settings.listenPort) +
                 ": " + text;
        return nullptr;
    }
    return agent;
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
    err = sip_transp_add(sip_,
                         settings_.transport == SipTransport::Tcp ? SIP_TRANSP_TCP : SIP_TRANSP_UDP,
                         &h.listenAddress);
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

int SipAgent::StartRegistration() {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
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
    closing_ = true;
    if (call_) {
        // Deleted here, while the stack can still send its BYE (or 486, CANCEL).
        call_->Abandon();
        call_.reset();
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
    if (!sip_ ||
        sip_transp_laddr(sip_, &address,
                         settings_.transport == SipTransport::Tcp ? SIP_TRANSP_TCP : SIP_TRANSP_UDP,
                         nullptr))
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
    const bool ok = !err && msg && msg->scode >= 200 && msg->scode < 300;
    self->registered_ = ok;
    if (!ok) {
        tmr_cancel(&h.keepalive);
        return;
    }
    h.registrarAddress = msg->src;
    h.haveRegistrarAddress = true;
    if (self->settings_.natKeepaliveSeconds > 0 && !tmr_isrunning(&h.keepalive))
        tmr_start(&h.keepalive, static_cast<uint64_t>(self->settings_.natKeepaliveSeconds) * 1000,
                  &SipAgent::OnKeepaliveTimer, self);
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
    (void)sip_send(self->sip_, nullptr,
                   self->settings_.transport == SipTransport::Tcp ? SIP_TRANSP_TCP : SIP_TRANSP_UDP,
                   &h.registrarAddress, &mb);
    tmr_start(&h.keepalive, static_cast<uint64_t>(self->settings_.natKeepaliveSeconds) * 1000,
              &SipAgent::OnKeepaliveTimer, self);
}

bool SipAgent::OnRequest(const struct sip_msg* msg, void* arg) {
    auto* self = static_cast<SipAgent*>(arg);
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

void SipAgent::OnIncomingCall(const struct sip_msg* msg, void* arg) {
    auto* self = static_cast<SipAgent*>(arg);
    char source[64] = {};
    (void)sa_ntop(&msg->src, source, sizeof(source));
    if (!self->settings_.acceptFrom.Allows(source)) {
        (void)sip_treply(nullptr, self->sip_, msg, 403, "Forbidden");
        return;
    }
    if (self->call_) {
        (void)sip_treply(nullptr, self->sip_, msg, 486, "Busy Here");
        return;
    }
    auto call = std::make_unique<SipCall>(self, self->nextHandle_++);
    SipCall* raw = call.get();
    self->call_ = std::move(call);
    const uint16_t refusal = raw->Accept(msg);
    if (refusal) {
        // Nothing was reported about this call yet.
        self->call_.reset();
        (void)sip_treply(nullptr, self->sip_, msg, refusal,
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
    // Deleted once the libre handler that ended it has returned.
    SipCall* dying = call_.release();
    loop_->Post([dying] { delete dying; });
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
