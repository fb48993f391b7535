#include "platform/sip/sip_call_p.h"

#include <algorithm>
#include <memory>

#include "platform/sip/caller_id_p.h"
#include "platform/sip/dial_target_p.h"
#include "platform/sip/libre_p.h"
#include "platform/sip/request_check_p.h"
#include "platform/sip/sip_agent_p.h"
#include "platform/sip/sip_loop_p.h"
#include "platform/text/ascii_text.h"

namespace orvia::sip {
namespace {

constexpr char kAllow[] = "INVITE, ACK, BYE, CANCEL, OPTIONS, INFO, NOTIFY, REFER";
constexpr uint64_t kNoAnswerMs = 60000;  // an outgoing call rings this long at most
constexpr uint64_t kTransferMs = 32000;  // REFER accepted: wait this long for its outcome
constexpr size_t kMaxHeaderChars = 1024;
constexpr size_t kMaxBodyChars = 4096;

std::string Text(const struct pl& pl, size_t maxChars) {
    if (!pl.p)
        return {};
    return std::string(pl.p, std::min(pl.l, maxChars));
}

std::string HeaderValue(const struct sip_msg* msg, enum sip_hdrid id) {
    const struct sip_hdr* hdr = sip_msg_hdr(msg, id);
    return hdr ? Text(hdr->val, kMaxHeaderChars) : std::string();
}

std::string BufferText(struct mbuf* mb) {
    if (!mb)
        return {};
    return std::string(reinterpret_cast<const char*>(mbuf_buf(mb)),
                       std::min(mbuf_get_left(mb), kMaxBodyChars));
}

std::string Body(const struct sip_msg* msg) {
    return BufferText(msg->mb);
}

bool HasBody(const struct sip_msg* msg) {
    return msg->mb && mbuf_get_left(msg->mb) > 0;
}

struct MbufRelease {
    void operator()(struct mbuf* mb) const { mem_deref(mb); }
};
using MbufPtr = std::unique_ptr<struct mbuf, MbufRelease>;

// The session description a message with a body carries: the body itself,
// or the SDP part of a multipart body (gateways to the telephone network
// send their signalling beside it). Null when a multipart body has none.
MbufPtr SdpBuffer(const struct sip_msg* msg) {
    if (pl_strcasecmp(&msg->ctyp.type, "multipart") != 0)
        return MbufPtr(static_cast<struct mbuf*>(mem_ref(msg->mb)));
    const std::string sdp = SdpOfBody(
        HeaderValue(msg, SIP_HDR_CONTENT_TYPE),
        std::string(reinterpret_cast<const char*>(mbuf_buf(msg->mb)), mbuf_get_left(msg->mb)));
    if (sdp.empty())
        return nullptr;
    MbufPtr mb(mbuf_alloc(sdp.size()));
    if (!mb || mbuf_write_mem(mb.get(), reinterpret_cast<const uint8_t*>(sdp.data()), sdp.size()))
        return nullptr;
    mb->pos = 0;
    return mb;
}

// A T.38 offer: a fax image stream with a port.
bool OffersT38(const std::string& sdp) {
    size_t pos = 0;
    while ((pos = sdp.find("m=image ", pos)) != std::string::npos) {
        pos += 8;
        if (pos < sdp.size() && sdp[pos] != '0')
            return true;
    }
    return false;
}

// The status code of a message/sipfrag body ("SIP/2.0 200 OK"); 0 for none.
int SipfragStatus(const std::string& body) {
    const size_t start = body.find_first_not_of(" \t\r\n");
    if (start == std::string::npos || body.compare(start, 8, "SIP/2.0 ") != 0)
        return 0;
    const size_t code = start + 8;
    if (code + 3 > body.size())
        return 0;
    for (size_t i = code; i < code + 3; ++i)
        if (!IsAsciiDigit(body[i]))
            return 0;
    return std::stoi(body.substr(code, 3));
}

void IgnoreResponse(int, const struct sip_msg*, void*) {}

}  // namespace

struct SipCall::Timers {
    struct tmr ring;
    struct tmr giveUp;
    struct tmr transfer;
    Timers() {
        tmr_init(&ring);
        tmr_init(&giveUp);
        tmr_init(&transfer);
    }
    ~Timers() {
        tmr_cancel(&ring);
        tmr_cancel(&giveUp);
        tmr_cancel(&transfer);
    }
};

SipCall::SipCall(SipAgent* agent, LineSink* sink, CallHandle handle)
    : agent_(agent), sink_(sink), handle_(handle), timers_(std::make_unique<Timers>()) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
}

SipCall::~SipCall() {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    timers_.reset();
    if (media_)
        media_->Stop();
    referRequest_ = static_cast<struct sip_request*>(mem_deref(referRequest_));
    // For an established call this sends BYE, for an unanswered incoming one
    // 486, for an unanswered outgoing one CANCEL; nothing once the peer ended it.
    session_ = static_cast<struct sipsess*>(mem_deref(session_));
    media_.reset();
}

uint16_t SipCall::Accept(const struct sip_msg* invite) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    const SipDeviceSettings& settings = agent_->Settings();
    media_ = std::make_unique<CallMedia>(settings.dtmf, settings.mediaEncryption, this);
    if (media_->Init(agent_->MediaAddress(), agent_->MediaAddress()))
        return 500;
    if (HasBody(invite)) {
        const MbufPtr sdp = SdpBuffer(invite);
        const std::string offer = BufferText(sdp.get());
        if (!sdp || OffersT38(offer) ||
            !OffersUsableAudio(offer, sa_af(&agent_->MediaAddress()),
                               settings.mediaEncryption != MediaEncryption::None) ||
            media_->DecodeOffer(sdp.get()))
            return 488;
    } else {
        lateOffer_ = true;
    }
    const int err = sipsess_accept(
        &session_, agent_->Sessions(), invite, 180, "Ringing", settings.ContactUser().c_str(),
        "application/sdp", nullptr, &SipStack::AuthHandler, agent_->AuthArg(), false,
        &SipCall::OnOffer, &SipCall::OnAnswer, &SipCall::OnEstablished, &SipCall::OnInfo,
        &SipCall::OnReferOrNotify, &SipCall::OnClose, this, "Allow: %s\r\n", kAllow);
    if (err)
        return 500;

    // Plain numbers are transferred within the caller's domain when the
    // device has none of its own.
    char host[300] = {};
    if (invite->from.uri.host.p)
        (void)re_snprintf(host, sizeof(host), invite->from.uri.af == AF_INET6 ? "[%r]" : "%r",
                          &invite->from.uri.host);
    peerDomain_ = host;
    if (peerDomain_.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                      "0123456789.-:[]") != std::string::npos)
        peerDomain_.clear();
    if (!peerDomain_.empty() && invite->from.uri.port) {
        peerDomain_ += ':';
        peerDomain_ += std::to_string(invite->from.uri.port);
    }

    IdentityHeaders identity;
    identity.assertedIdentity = HeaderValue(invite, SIP_HDR_P_ASSERTED_IDENTITY);
    identity.from = HeaderValue(invite, SIP_HDR_FROM);
    identity.privacy = HeaderValue(invite, SIP_HDR_PRIVACY);
    if (const struct sip_hdr* rpid = sip_msg_xhdr(invite, "Remote-Party-ID"))
        identity.remotePartyId = Text(rpid->val, kMaxHeaderChars);

    state_ = State::Offered;
    sink_->CallOffered(handle_, ParseCallerId(identity));
    rings_ = 1;
    sink_->CallRinging(handle_, rings_);
    tmr_start(&timers_->ring, static_cast<uint64_t>(settings.ringIntervalMs), &SipCall::OnRingTimer,
              this);
    return 0;
}

bool SipCall::Connect(const std::string& uri, RequestId request) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    const SipDeviceSettings& settings = agent_->Settings();
    outgoing_ = true;
    media_ = std::make_unique<CallMedia>(settings.dtmf, settings.mediaEncryption, this);
    if (media_->Init(agent_->MediaAddress(), agent_->MediaAddress()))
        return false;
    struct mbuf* offer = nullptr;
    if (media_->Encode(&offer, true))
        return false;
    const std::string aor = settings.AddressOfRecord();
    const char* routes[1] = {settings.outboundProxy.c_str()};
    const uint32_t routeCount = settings.outboundProxy.empty() ? 0 : 1;
    const int err = sipsess_connect(
        &session_, agent_->Sessions(), uri.c_str(),
        settings.displayName.empty() ? nullptr : settings.displayName.c_str(), aor.c_str(),
        settings.ContactUser().c_str(), routeCount ? routes : nullptr, routeCount,
        "application/sdp", offer, &SipStack::AuthHandler, agent_->AuthArg(), false,
        &SipCall::OnOffer, &SipCall::OnAnswer, &SipCall::OnProgress, &SipCall::OnEstablished,
        &SipCall::OnInfo, &SipCall::OnReferOrNotify, &SipCall::OnClose, this, "Allow: %s\r\n",
        kAllow);
    mem_deref(offer);
    if (err)
        return false;
    state_ = State::Dialing;
    dialRequest_ = request;
    tmr_start(&timers_->giveUp, kNoAnswerMs, &SipCall::OnGiveUpTimer, this);
    return true;
}

void SipCall::Answer(RequestId request) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    if (state_ != State::Offered) {
        sink_->Reply(request, false);
        return;
    }
    struct mbuf* desc = nullptr;
    int err = media_->Encode(&desc, lateOffer_);
    if (!err)
        err = sipsess_answer(session_, 200, "OK", desc, "Allow: %s\r\n", kAllow);
    mem_deref(desc);
    if (err) {
        sink_->Reply(request, false);
        return;
    }
    tmr_cancel(&timers_->ring);
    state_ = State::Answering;
    sink_->Reply(request, true);
}

void SipCall::Hangup(RequestId request) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    if (dialRequest_) {
        sink_->Reply(dialRequest_, false);
        dialRequest_ = 0;
    }
    if (transferRequest_) {
        sink_->Reply(transferRequest_, false);
        transferRequest_ = 0;
    }
    sink_->Reply(request, true);
    End(true);
}

void SipCall::Abandon() {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    End(false);
}

void SipCall::End(bool reportIdle) {
    if (state_ == State::Ended)
        return;
    const bool reported = !(outgoing_ && state_ == State::Dialing);
    state_ = State::Ended;
    tmr_cancel(&timers_->ring);
    tmr_cancel(&timers_->giveUp);
    tmr_cancel(&timers_->transfer);
    if (media_)
        media_->Stop();
    if (reportIdle && reported)
        sink_->CallStateChanged(handle_, CallState::Idle);
    // The session itself is released when the call is deleted, right after
    // the handler that ended it has returned.
    agent_->CallEnded(this);
}

void SipCall::Transfer(const std::string& number, RequestId request) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    if (transferRequest_) {
        sink_->Reply(request, false);
        return;
    }
    const SipDeviceSettings& settings = agent_->Settings();
    const auto target = BuildDialTarget(
        number, settings.domain.empty() ? peerDomain_ : settings.domain, settings.TransportParam());
    if (state_ != State::Connected || !target) {
        // A transfer that cannot even start drops the call like a refused one.
        sink_->Reply(request, false);
        End(true);
        return;
    }
    const std::string& uri = *target;
    const std::string contact =
        "sip:" + settings.ContactUser() + "@" + agent_->LocalAddress() + settings.TransportParam();
    const int err =
        sip_drequestf(&referRequest_, agent_->Stack(), true, "REFER", sipsess_dialog(session_), 0,
                      agent_->Auth(), nullptr, &SipCall::OnReferResponse, this,
                      "Refer-To: <%s>\r\n"
                      "Referred-By: <%s>\r\n"
                      "Contact: <%s>\r\n"
                      "Content-Length: 0\r\n"
                      "\r\n",
                      uri.c_str(), settings.AddressOfRecord().c_str(), contact.c_str());
    if (err) {
        sink_->Reply(request, false);
        End(true);
        return;
    }
    transferRequest_ = request;
    transferAccepted_ = false;
    tmr_start(
        &timers_->transfer, kTransferMs,
        [](void* arg) {
            auto* self = static_cast<SipCall*>(arg);
            self->FinishTransfer(self->transferAccepted_);
        },
        this);
}

void SipCall::FinishTransfer(bool ok) {
    if (!transferRequest_ || state_ == State::Ended)
        return;
    const RequestId request = transferRequest_;
    transferRequest_ = 0;
    sink_->Reply(request, ok);
    // Transferred or not, this call is over.
    End(true);
}

void SipCall::SendDigits(const std::string& digits) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    if (state_ == State::Connected)
        media_->SendDigits(digits);
    else
        sink_->DigitsGenerated(handle_);
}

// --- session handlers -------------------------------------------------------

int SipCall::OnOffer(struct mbuf** desc, const struct sip_msg* msg, void* arg) {
    return static_cast<SipCall*>(arg)->HandleOffer(desc, msg);
}

int SipCall::HandleOffer(struct mbuf** desc, const struct sip_msg* msg) {
    if (state_ == State::Ended)
        return ECONNRESET;
    if (!HasBody(msg)) {
        // A re-INVITE asking for our offer; the answer comes with the ACK.
        return media_->Encode(desc, true);
    }
    const MbufPtr sdp = SdpBuffer(msg);
    if (!sdp)
        return EPROTO;
    if (OffersT38(BufferText(sdp.get()))) {
        // A fax machine: we cannot take T.38, but the line hears of the fax.
        ReportFax();
        return EPROTO;
    }
    // Hold, resume or a new address: the call goes on with what is agreed.
    const int err = media_->DecodeOffer(sdp.get());
    if (err)
        return err;
    return media_->Encode(desc, false);
}

int SipCall::OnAnswer(const struct sip_msg* msg, void* arg) {
    auto* self = static_cast<SipCall*>(arg);
    if (self->state_ == State::Ended)
        return 0;
    if (!HasBody(msg))
        return EPROTO;
    const MbufPtr sdp = SdpBuffer(msg);
    return sdp ? self->media_->DecodeAnswer(sdp.get()) : EPROTO;
}

void SipCall::OnProgress(const struct sip_msg*, void*) {}

void SipCall::OnEstablished(const struct sip_msg*, void* arg) {
    static_cast<SipCall*>(arg)->HandleEstablished();
}

void SipCall::HandleEstablished() {
    if (state_ == State::Ended || state_ == State::Connected)
        return;
    tmr_cancel(&timers_->ring);
    tmr_cancel(&timers_->giveUp);
    state_ = State::Connected;
    if (dialRequest_) {
        sink_->Reply(dialRequest_, true);
        dialRequest_ = 0;
    }
    media_->Start(agent_->NewMediaPort());
    const MediaPort* audio = media_->Audio();
    sink_->CallConnected(handle_, audio ? audio->OutputId() : -1, audio ? audio->InputId() : -1);
}

void SipCall::OnInfo(struct sip* sip, const struct sip_msg* msg, void* arg) {
    auto* self = static_cast<SipCall*>(arg);
    const std::string type = Text(msg->ctyp.type, 64) + "/" + Text(msg->ctyp.subtype, 64);
    const std::optional<char> digit = ParseInfoDigit(type, Body(msg));
    if (!digit) {
        const bool keys = pl_strcasecmp(&msg->ctyp.subtype, "dtmf-relay") == 0 ||
                          pl_strcasecmp(&msg->ctyp.subtype, "dtmf") == 0;
        // A key message without a key (a flash) is fine; other content is not ours.
        (void)sip_reply(sip, msg, keys ? 200 : 415, keys ? "OK" : "Unsupported Media Type");
        return;
    }
    (void)sip_reply(sip, msg, 200, "OK");
    if (self->state_ == State::Connected)
        self->OnMediaDigit(*digit, DigitSource::Info);
}

void SipCall::OnReferOrNotify(struct sip* sip, const struct sip_msg* msg, void* arg) {
    auto* self = static_cast<SipCall*>(arg);
    if (pl_strcmp(&msg->met, "NOTIFY") == 0) {
        self->HandleNotify(sip, msg);
        return;
    }
    // Nobody transfers this line's calls away from it.
    (void)sip_reply(sip, msg, 603, "Decline");
}

void SipCall::HandleNotify(struct sip* sip, const struct sip_msg* msg) {
    (void)sip_treply(nullptr, sip, msg, 200, "OK");
    if (!transferRequest_ || state_ == State::Ended)
        return;
    const int status = SipfragStatus(Body(msg));
    if (status >= 200) {
        FinishTransfer(status < 300);
        return;
    }
    const std::string subscription = HeaderValue(msg, SIP_HDR_SUBSCRIPTION_STATE);
    if (subscription.rfind("terminated", 0) == 0)
        FinishTransfer(transferAccepted_);
}

void SipCall::OnReferResponse(int err, const struct sip_msg* msg, void* arg) {
    auto* self = static_cast<SipCall*>(arg);
    if (!self->transferRequest_ || self->state_ == State::Ended)
        return;
    if (err || !msg || msg->scode >= 300) {
        self->FinishTransfer(false);
        return;
    }
    if (msg->scode >= 200)
        self->transferAccepted_ = true;
}

void SipCall::OnClose(int err, const struct sip_msg* msg, void* arg) {
    static_cast<SipCall*>(arg)->HandleClose(err, msg);
}

void SipCall::HandleClose(int, const struct sip_msg* msg) {
    if (state_ == State::Ended)
        return;
    if (state_ == State::Dialing) {
        const uint16_t status = msg ? msg->scode : 0;
        const RequestId request = dialRequest_;
        dialRequest_ = 0;
        if (status == 486 || status == 600) {
            sink_->Reply(request, true);
            sink_->CallStateChanged(handle_, CallState::Busy);
            state_ = State::Connected;  // so that End reports the idle state
            End(true);
        } else {
            sink_->Reply(request, false);
            End(false);
        }
        return;
    }
    if (transferRequest_) {
        // The peer hung up after taking the REFER: it went its way.
        const RequestId request = transferRequest_;
        transferRequest_ = 0;
        sink_->Reply(request, transferAccepted_);
    }
    sink_->CallStateChanged(handle_, CallState::Disconnected);
    End(true);
}

void SipCall::OnRingTimer(void* arg) {
    auto* self = static_cast<SipCall*>(arg);
    if (self->state_ != State::Offered)
        return;
    self->sink_->CallRinging(self->handle_, ++self->rings_);
    tmr_start(&self->timers_->ring, static_cast<uint64_t>(self->agent_->Settings().ringIntervalMs),
              &SipCall::OnRingTimer, self);
}

void SipCall::OnGiveUpTimer(void* arg) {
    auto* self = static_cast<SipCall*>(arg);
    if (self->state_ != State::Dialing)
        return;
    const RequestId request = self->dialRequest_;
    self->dialRequest_ = 0;
    self->sink_->Reply(request, false);
    self->End(false);
}

// --- media events -----------------------------------------------------------

void SipCall::OnMediaDigit(char digit, DigitSource source) {
    if (state_ != State::Connected)
        return;
    if (merger_.Accept(digit, source, tmr_jiffies()))
        sink_->Digit(handle_, digit);
}

void SipCall::OnFaxTone() {
    ReportFax();
}

void SipCall::ReportFax() {
    if (faxReported_ || state_ == State::Ended)
        return;
    faxReported_ = true;
    sink_->MediaDetected(handle_, DetectedMedia::Fax);
}

void SipCall::OnSendInfoDigit(char digit) {
    if (state_ != State::Connected)
        return;
    struct mbuf* body = mbuf_alloc(64);
    if (!body)
        return;
    if (digit == '!')
        (void)mbuf_printf(body, "Signal=16\r\nDuration=300\r\n");
    else
        (void)mbuf_printf(body, "Signal=%c\r\nDuration=100\r\n", digit);
    body->pos = 0;
    (void)sipsess_info(session_, "application/dtmf-relay", body, IgnoreResponse, nullptr);
    mem_deref(body);
}

void SipCall::OnDigitsSent() {
    if (state_ != State::Ended)
        sink_->DigitsGenerated(handle_);
}

}  // namespace orvia::sip
