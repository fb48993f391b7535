#include "platform/sip/sip_stack_p.h"

#include "platform/sip/libre_p.h"
#include "platform/sip/request_check_p.h"
#include "platform/sip/sip_loop_p.h"
#include "platform/sip/sip_tls_p.h"

namespace orvia::sip {
namespace {

constexpr uint32_t kRegisterExpires = 3600;
constexpr char kAllow[] = "INVITE, ACK, BYE, CANCEL, OPTIONS, INFO, NOTIFY, REFER";
// How often a retired stack looks whether its last transactions are done,
// and how long it waits for them at most (a BYE that is never answered ends
// after 64 * T1 = 32 s).
constexpr uint64_t kRetiredPollMs = 100;
constexpr uint64_t kRetiredMaxMs = 40000;

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

std::string ToString(const struct sa& address) {
    char text[64] = {};
    (void)re_snprintf(text, sizeof(text), "%J", &address);
    return text;
}

}  // namespace

struct SipStack::Handles {
    struct dnsc* dns = nullptr;
    struct sip_lsnr* requests = nullptr;
    struct sipreg* registration = nullptr;
    struct tmr retired;
    uint64_t retiredAt = 0;
    struct sa listenAddress;
    struct sa mediaAddress;
    // For TLS: the context and the check of the servers' certificates. It
    // stays as long as the stack, whose connections call it back.
    std::unique_ptr<SipTls> tls;
    std::string startError;  // why Start failed, when it can say more than an error code

    Handles() {
        tmr_init(&retired);
        sa_init(&listenAddress, AF_UNSPEC);
        sa_init(&mediaAddress, AF_UNSPEC);
    }
};

SipStack::SipStack(const SipDeviceSettings& settings, SipLoop* loop, SipStackOwner* owner)
    : settings_(settings), loop_(loop), owner_(owner), handles_(std::make_unique<Handles>()) {}

SipStack* SipStack::Open(const SipDeviceSettings& settings, SipLoop* loop, SipStackOwner* owner,
                         std::string* error) {
    auto* stack = new SipStack(settings, loop, owner);
    const int err = stack->Start();
    if (err) {
        char text[128] = {};
        (void)re_snprintf(text, sizeof(text), "%m", err);
        const std::string& why = stack->handles_->startError;
        *error = "SIP on " + settings.listenHost + ":" + std::to_string(settings.listenPort) +
                 " (" + settings.TransportName() + "): " + (why.empty() ? text : why);
        stack->owner_ = nullptr;
        stack->Finish();
        return nullptr;
    }
    return stack;
}

int SipStack::Start() {
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
        h.tls = SipTls::Create(settings_,
                               "SIP device [" + settings_.section + "] \"" + settings_.name + "\"",
                               &h.startError);
        if (!h.tls)
            return EINVAL;
        err = sip_transp_add(sip_, SIP_TRANSP_TLS, &h.listenAddress, h.tls->Context());
    } else {
        err = sip_transp_add(sip_, TransportOf(settings_), &h.listenAddress);
    }
    if (err)
        return err;
    err = sip_listen(&h.requests, sip_, true, &SipStack::OnRequest, this);
    if (err)
        return err;
    err = sipsess_listen(&sessions_, sip_, 32, &SipStack::OnIncomingCall, this);
    if (err)
        return err;
    err = sip_auth_alloc(&auth_, &SipStack::AuthHandler, this, false);
    if (err)
        return err;
    if (!settings_.registrar.empty())
        return Register();
    return 0;
}

void SipStack::Unregister() {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    handles_->registration = static_cast<struct sipreg*>(mem_deref(handles_->registration));
}

int SipStack::Register() {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    Unregister();
    const std::string aor = settings_.AddressOfRecord();
    const char* routes[1] = {settings_.outboundProxy.c_str()};
    const uint32_t routeCount = settings_.outboundProxy.empty() ? 0 : 1;
    return sipreg_register(&handles_->registration, sip_, settings_.registrar.c_str(), aor.c_str(),
                           settings_.displayName.empty() ? nullptr : settings_.displayName.c_str(),
                           aor.c_str(), kRegisterExpires, settings_.ContactUser().c_str(),
                           routeCount ? routes : nullptr, routeCount, 0, &SipStack::AuthHandler,
                           this, false, &SipStack::OnRegisterResponse, this, nullptr, nullptr);
}

SipStack::~SipStack() = default;

void SipStack::Retire() {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    owner_ = nullptr;
    Handles& h = *handles_;
    // Its destructor sends the un-REGISTER, which then holds the stack too.
    h.registration = static_cast<struct sipreg*>(mem_deref(h.registration));
    h.retiredAt = tmr_jiffies();
    loop_->AddShutdownHook(this, [this] { Finish(); });
    OnRetiredTimer(this);
}

void SipStack::OnRetiredTimer(void* arg) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    auto* self = static_cast<SipStack*>(arg);
    Handles& h = *self->handles_;
    // Sessions and registrations hold the stack while their transactions
    // run; only this stack's own hold left means they are all done.
    const bool done = !self->sip_ || mem_nrefs(self->sip_) <= 1;
    if (done || tmr_jiffies() - h.retiredAt >= kRetiredMaxMs) {
        self->Finish();
        return;
    }
    tmr_start(&h.retired, kRetiredPollMs, &SipStack::OnRetiredTimer, self);
}

void SipStack::Finish() {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    Handles& h = *handles_;
    tmr_cancel(&h.retired);
    loop_->RemoveShutdownHook(this);
    h.registration = static_cast<struct sipreg*>(mem_deref(h.registration));
    // Ends what is still in flight; its handlers run now, while this stack
    // still holds the SIP stack, so none of them frees it.
    if (sip_)
        sip_close(sip_, true);
    sessions_ = static_cast<struct sipsess_sock*>(mem_deref(sessions_));
    h.requests = static_cast<struct sip_lsnr*>(mem_deref(h.requests));
    auth_ = static_cast<struct sip_auth*>(mem_deref(auth_));
    sip_ = static_cast<struct sip*>(mem_deref(sip_));
    h.dns = static_cast<struct dnsc*>(mem_deref(h.dns));
    h.tls.reset();
    delete this;
}

std::string SipStack::LocalAddress() const {
    struct sa address;
    if (!sip_ || sip_transp_laddr(sip_, &address, TransportOf(settings_), nullptr))
        return {};
    return ToString(address);
}

SipTls* SipStack::Tls() const {
    return handles_->tls.get();
}

int SipStack::Transport() const {
    return TransportOf(settings_);
}

const struct sa& SipStack::MediaAddress() const {
    return handles_->mediaAddress;
}

int SipStack::AuthHandler(char** user, char** password, const char*, void* arg) {
    auto* self = static_cast<SipStack*>(arg);
    int err = str_dup(user, self->settings_.authUser.c_str());
    err |= str_dup(password, self->settings_.password.c_str());
    return err;
}

void SipStack::OnIncomingCall(const struct sip_msg* msg, void* arg) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    auto* self = static_cast<SipStack*>(arg);
    if (self->owner_)
        self->owner_->OnIncomingCall(msg);
    else
        (void)sip_treply(nullptr, self->sip_, msg, 503, "Service Unavailable");
}

bool SipStack::OnRequest(const struct sip_msg* msg, void* arg) {
    auto* self = static_cast<SipStack*>(arg);
    ORVIA_ASSERT_SIP_LOOP_THREAD();
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

void SipStack::RefuseBadRequest(const struct sip_msg* msg, const std::string& problem) {
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

void SipStack::OnRegisterResponse(int err, const struct sip_msg* msg, void* arg) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    auto* self = static_cast<SipStack*>(arg);
    if (self->owner_)
        self->owner_->OnRegisterResponse(err, msg);
}

}  // namespace orvia::sip
