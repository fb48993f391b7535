#include "platform/sip/call_media_p.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>

#include "platform/sip/libre_p.h"
#include "platform/sip/sip_loop_p.h"

namespace orvia::sip {
namespace {

// Our formats are told apart by their data pointer: SDP decoding renumbers
// them to the peer's payload types and reorders them to its preference.
const int kTagMu = 1;
const int kTagA = 2;
const int kTagEvent = 3;
void* Tag(const int& tag) {
    return const_cast<int*>(&tag);
}

constexpr size_t kRtpHeaderRoom = RTP_HEADER_SIZE;  // rtp_send writes the header in front
constexpr size_t kMaxPayload = 1600;                // more than any real G.711 packet
constexpr int kMaxPacketsPerFrame = 50;             // what one call may queue in 20 ms
constexpr int kPacketsPerRead = 4;                  // packets one read of the socket takes

// Packets are read by the media clock (ReadRtp); the socket's own handler
// never runs.
void RtpReceive(const struct sa*, const struct rtp_header*, struct mbuf*, void*) {}

constexpr char kSavp[] = "RTP/SAVP";
constexpr char kCrypto[] = "crypto";

enum srtp_suite LibreSuite(SrtpSuite suite) {
    return suite == SrtpSuite::AesCm128HmacSha1_32 ? SRTP_AES_CM_128_HMAC_SHA1_32
                                                   : SRTP_AES_CM_128_HMAC_SHA1_80;
}

size_t SuiteIndex(SrtpSuite suite) {
    return suite == SrtpSuite::AesCm128HmacSha1_32 ? 1 : 0;
}

bool SameKey(const SdesCrypto& a, const SdesCrypto& b) {
    return a.suite == b.suite && a.keySalt == b.keySalt;
}

// Our audio stream with the formats we take: PCMU, PCMA and, unless keys go
// in-band or by INFO only, telephone-event; 20 ms packets. An encrypting line
// offers RTP/SAVP (mediaenc=srtp) and takes either profile, since RTP/AVP
// with keys is how peers offer encryption they do not insist on.
int AddOurMedia(struct sdp_session* sdp, struct sdp_media** media, uint16_t port, DtmfMode mode,
                MediaEncryption encryption) {
    int err = sdp_media_add(media, sdp, sdp_media_audio, port,
                            encryption == MediaEncryption::Srtp ? kSavp : sdp_proto_rtpavp);
    if (err)
        return err;
    if (encryption != MediaEncryption::None)
        err = sdp_media_set_alt_protos(*media, 2, sdp_proto_rtpavp, kSavp);
    err |= sdp_format_add(nullptr, *media, false, "0", "PCMU", 8000, 1, nullptr, nullptr,
                          Tag(kTagMu), false, nullptr);
    err |= sdp_format_add(nullptr, *media, false, "8", "PCMA", 8000, 1, nullptr, nullptr,
                          Tag(kTagA), false, nullptr);
    if (mode == DtmfMode::Auto || mode == DtmfMode::Rfc4733)
        err |= sdp_format_add(nullptr, *media, false, "101", telev_rtpfmt, 8000, 1, nullptr,
                              nullptr, Tag(kTagEvent), false, "0-16");
    err |= sdp_media_set_lattr(*media, true, sdp_attr_ptime, "%u", 20u);
    return err;
}

bool HasCommonAudioCodec(struct sdp_media* media) {
    for (struct le* le = list_head(sdp_media_format_lst(media, true)); le; le = le->next) {
        const auto* fmt = static_cast<const struct sdp_format*>(le->data);
        if (fmt->sup && (fmt->data == Tag(kTagMu) || fmt->data == Tag(kTagA)))
            return true;
    }
    return false;
}

}  // namespace

CallMedia::CallMedia(DtmfMode mode, MediaEncryption encryption, CallMediaEvents* events)
    : mode_(mode),
      encryption_(encryption),
      events_(events),
      txTimestamp_(rand_u32()),
      frame_(kFrameSamples * 2),
      decoded_(kMaxPayload) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
}

CallMedia::~CallMedia() {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    Stop();
    StopEncryption();
    inband_ = static_cast<struct dtmf_dec*>(mem_deref(inband_));
    txBuffer_ = static_cast<struct mbuf*>(mem_deref(txBuffer_));
    rtp_ = static_cast<struct rtp_sock*>(mem_deref(rtp_));
    media_ = nullptr;  // owned by the session
    sdp_ = static_cast<struct sdp_session*>(mem_deref(sdp_));
}

int CallMedia::Init(const struct sa& bindIp, const struct sa& sdpIp) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    int err = sdp_session_alloc(&sdp_, &sdpIp);
    if (err)
        return err;
    err = rtp_listen(&rtp_, IPPROTO_UDP, &bindIp, 10000, 59999, false, RtpReceive, nullptr, this);
    if (err)
        return err;
    // Received RTP is read at the media clock rather than woken for packet by
    // packet: many calls then cost one wake-up per 20 ms instead of hundreds.
    auto* socket = static_cast<struct udp_sock*>(rtp_sock(rtp_));
    udp_thread_detach(socket);
    rtpFd_ = udp_sock_fd(socket, sa_af(&bindIp));
    err = AddOurMedia(sdp_, &media_, sa_port(rtp_local(rtp_)), mode_, encryption_);
    if (err)
        return err;
    if (encryption_ != MediaEncryption::None) {
        for (size_t i = 0; i < ourKeys_.size() && !err; ++i) {
            ourKeys_[i].tag = static_cast<unsigned>(i + 1);
            ourKeys_[i].suite =
                i == 0 ? SrtpSuite::AesCm128HmacSha1_80 : SrtpSuite::AesCm128HmacSha1_32;
            if (!MakeSrtpKey(&ourKeys_[i].keySalt))
                err = EIO;
        }
        if (!err)
            SetOfferedKeys();
    }
    if (err)
        return err;
    txBuffer_ = mbuf_alloc(kRtpHeaderRoom + kMaxPayload);
    if (!txBuffer_)
        return ENOMEM;
    return dtmf_dec_alloc(&inband_, 8000, 1, &CallMedia::OnInbandDigit, this);
}

uint16_t CallMedia::LocalRtpPort() const {
    return rtp_ ? sa_port(rtp_local(rtp_)) : 0;
}

void CallMedia::ApplyNegotiation() {
    txPayload_ = muPayload_ = aPayload_ = eventPayload_ = -1;
    for (struct le* le = list_head(sdp_media_format_lst(media_, true)); le; le = le->next) {
        const auto* fmt = static_cast<const struct sdp_format*>(le->data);
        if (!fmt->sup)
            continue;
        if (fmt->data == Tag(kTagMu) || fmt->data == Tag(kTagA)) {
            const bool mu = fmt->data == Tag(kTagMu);
            (mu ? muPayload_ : aPayload_) = fmt->pt;
            if (txPayload_ < 0) {
                txPayload_ = fmt->pt;
                txCodec_ = mu ? G711::Mu : G711::A;
            }
        } else if (fmt->data == Tag(kTagEvent)) {
            eventPayload_ = fmt->pt;
        }
    }
    // The stored direction is ours: may we send?
    canSend_ = (sdp_media_dir(media_) & SDP_SENDONLY) != 0;

    const struct sa* raddr = sdp_media_raddr(media_);
    if (raddr && sa_isset(raddr, SA_ALL) && !sa_is_any(raddr)) {
        if (!sdpRemote_ || !sa_cmp(sdpRemote_.get(), raddr, SA_ALL)) {
            sdpRemote_ = std::make_unique<struct sa>(*raddr);
            remote_ = std::make_unique<struct sa>(*raddr);
            latched_ = false;
            heardFromSdpAddress_ = false;
        }
    } else {
        canSend_ = false;  // on hold by a null address, or the stream was refused
    }
}

bool CallMedia::OfferIsUsable(struct mbuf* body) const {
    struct sdp_session* trial = nullptr;
    struct sdp_media* media = nullptr;
    const struct sa* local = sdp_media_laddr(media_);
    const bool usable = !sdp_session_alloc(&trial, local) &&
                        !AddOurMedia(trial, &media, sa_port(local), mode_, encryption_) &&
                        !sdp_decode(trial, body, true) && HasCommonAudioCodec(media);
    mem_deref(trial);
    return usable;
}

int CallMedia::DecodeOffer(struct mbuf* body) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    // Decoding changes the session's view of the peer, so an offer is tried
    // on a session of its own first: one we refuse leaves the media as it was.
    if (!sdp_ || !media_ || !OfferIsUsable(body))
        return EPROTO;
    const int err = sdp_decode(sdp_, body, true);
    if (err)
        return err;
    ApplyNegotiation();
    if (!HasCommonCodec())
        return EPROTO;
    return ApplyCrypto(true);
}

int CallMedia::DecodeAnswer(struct mbuf* body) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    const int err = sdp_decode(sdp_, body, false);
    if (err)
        return err;
    ApplyNegotiation();
    if (!HasCommonCodec())
        return EPROTO;
    return ApplyCrypto(false);
}

int CallMedia::Encode(struct mbuf** body, bool offer) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    if (offer && encryption_ != MediaEncryption::None)
        SetOfferedKeys();
    return sdp_encode(body, sdp_, offer);
}

void CallMedia::SetOfferedKeys() {
    sdp_media_del_lattr(media_, kCrypto);
    for (const SdesCrypto& key : ourKeys_)
        (void)sdp_media_set_lattr(media_, false, kCrypto, "%s", FormatCryptoAttribute(key).c_str());
}

int CallMedia::ApplyCrypto(bool offer) {
    if (encryption_ == MediaEncryption::None) {
        // Keys in an offer are not taken: the answer is plain RTP/AVP.
        sdp_media_del_lattr(media_, kCrypto);
        return 0;
    }
    // The peer's keys in its order of preference; in an answer only a key
    // for one of our tags, with our suite for it, counts.
    struct Scan {
        bool offer;
        const std::array<SdesCrypto, 2>* ours;
        std::optional<SdesCrypto> chosen;
    } scan{offer, &ourKeys_, std::nullopt};
    (void)sdp_media_rattr_apply(
        media_, kCrypto,
        [](const char*, const char* value, void* arg) -> bool {
            auto* state = static_cast<Scan*>(arg);
            const std::optional<SdesCrypto> key = ParseCryptoAttribute(value ? value : "");
            if (!key)
                return false;
            if (!state->offer) {
                const bool ours = std::any_of(
                    state->ours->begin(), state->ours->end(), [&](const SdesCrypto& mine) {
                        return mine.tag == key->tag && mine.suite == key->suite;
                    });
                if (!ours)
                    return false;
            }
            state->chosen = key;
            return true;
        },
        &scan);
    if (!scan.chosen) {
        // Plain RTP only where it is allowed and the peer does not insist.
        const char* proto = sdp_media_proto(media_);
        if (encryption_ == MediaEncryption::Srtp || (proto && str_casecmp(proto, kSavp) == 0))
            return EPROTO;
        StopEncryption();
        if (offer)
            sdp_media_del_lattr(media_, kCrypto);
        return 0;
    }
    const SdesCrypto& theirs = *scan.chosen;
    const SdesCrypto& mine = ourKeys_[SuiteIndex(theirs.suite)];
    if (offer) {
        SdesCrypto answer = mine;
        answer.tag = theirs.tag;
        sdp_media_del_lattr(media_, kCrypto);
        (void)sdp_media_set_lattr(media_, false, kCrypto, "%s",
                                  FormatCryptoAttribute(answer).c_str());
    }
    // A key that stays the same keeps its context (and the packet counts in it).
    if (!theirKey_ || !SameKey(*theirKey_, theirs) || !rxSrtp_) {
        rxSrtp_ = static_cast<struct srtp*>(mem_deref(rxSrtp_));
        const int err = srtp_alloc(&rxSrtp_, LibreSuite(theirs.suite), theirs.keySalt.data(),
                                   theirs.keySalt.size(), 0);
        if (err)
            return err;
        theirKey_ = theirs;
    }
    if (!sendingSuite_ || *sendingSuite_ != theirs.suite || !txSrtp_) {
        txSrtp_ = static_cast<struct srtp*>(mem_deref(txSrtp_));
        const int err = srtp_alloc(&txSrtp_, LibreSuite(mine.suite), mine.keySalt.data(),
                                   mine.keySalt.size(), 0);
        if (err)
            return err;
        sendingSuite_ = mine.suite;
    }
    return 0;
}

void CallMedia::StopEncryption() {
    txSrtp_ = static_cast<struct srtp*>(mem_deref(txSrtp_));
    rxSrtp_ = static_cast<struct srtp*>(mem_deref(rxSrtp_));
    theirKey_.reset();
    sendingSuite_.reset();
}

void CallMedia::Start(std::unique_ptr<MediaPort> audio) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    if (running_)
        return;
    audio_ = std::move(audio);
    running_ = true;
    nextMarker_ = true;
    MediaClock::Instance().Add(this);
}

void CallMedia::Stop() {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    if (!running_)
        return;
    MediaClock::Instance().Remove(this);
    running_ = false;
    sequencer_.reset();
    audio_.reset();
}

void CallMedia::SendDigits(const std::string& digits) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    if (sequencer_) {
        sequencer_.reset();
        events_->OnDigitsSent();  // the earlier string is cut short
    }
    if (!running_) {
        events_->OnDigitsSent();
        return;
    }
    DigitMethod method;
    if (mode_ == DtmfMode::Info)
        method = DigitMethod::Info;
    else if (mode_ == DtmfMode::Inband || eventPayload_ < 0)
        method = DigitMethod::Inband;
    else
        method = DigitMethod::Rfc4733;
    sequencer_.emplace(digits, method);
}

void CallMedia::OnFrame() {
    ReadRtp();
    SendFrame();
    ReceiveFrame();
    txTimestamp_ += kFrameSamples;
}

void CallMedia::SendFrame() {
    int16_t* samples = frame_.data();
    // The line's audio is taken at the RTP clock even while a dial string
    // goes out, so its plays end in real time.
    if (audio_)
        audio_->Pull(samples, kFrameSamples);
    else
        std::fill(samples, samples + kFrameSamples, 0);
    if (!sequencer_) {
        SendAudio(samples);
        return;
    }
    DigitFrame frame;
    sequencer_->NextFrame(txTimestamp_, &frame);
    if (frame.sendAudio)
        SendAudio(frame.pcm.data());
    SendEvents(frame);
    if (frame.infoSignal)
        events_->OnSendInfoDigit(frame.infoSignal);
    if (sequencer_->Finished()) {
        sequencer_.reset();
        events_->OnDigitsSent();
    }
}

void CallMedia::SendAudio(const int16_t* samples) {
    if (!canSend_ || !remote_ || txPayload_ < 0) {
        nextMarker_ = true;  // the first packet after a silence carries the marker
        return;
    }
    struct mbuf* mb = txBuffer_;
    mb->pos = mb->end = kRtpHeaderRoom;
    uint8_t* out = mb->buf + kRtpHeaderRoom;
    if (txCodec_ == G711::Mu)
        for (size_t i = 0; i < kFrameSamples; ++i)
            out[i] = g711_pcm2ulaw(samples[i]);
    else
        for (size_t i = 0; i < kFrameSamples; ++i)
            out[i] = g711_pcm2alaw(samples[i]);
    mb->end = kRtpHeaderRoom + kFrameSamples;
    SendPacket(nextMarker_, static_cast<uint8_t>(txPayload_), txTimestamp_, mb);
    nextMarker_ = false;
}

void CallMedia::SendPacket(bool marker, uint8_t payloadType, uint32_t timestamp, struct mbuf* mb) {
    if (!txSrtp_) {
        (void)rtp_send(rtp_, remote_.get(), false, marker, payloadType, timestamp, mb);
        return;
    }
    mb->pos -= RTP_HEADER_SIZE;
    const size_t start = mb->pos;
    if (rtp_encode(rtp_, false, marker, payloadType, timestamp, mb))
        return;
    mb->pos = start;
    if (srtp_encrypt(txSrtp_, mb))
        return;
    (void)udp_send(static_cast<struct udp_sock*>(rtp_sock(rtp_)), remote_.get(), mb);
}

void CallMedia::SendEvents(const DigitFrame& frame) {
    if (!remote_ || eventPayload_ < 0)
        return;
    for (int i = 0; i < frame.eventCount; ++i) {
        struct mbuf* mb = txBuffer_;
        mb->pos = kRtpHeaderRoom;
        EncodeTelephoneEvent(frame.events[static_cast<size_t>(i)], mb->buf + kRtpHeaderRoom);
        mb->end = kRtpHeaderRoom + 4;
        SendPacket(frame.eventMarker && i == 0, static_cast<uint8_t>(eventPayload_),
                   frame.eventTimestamp, mb);
    }
}

void CallMedia::ReceiveFrame() {
    int16_t* samples = frame_.data() + kFrameSamples;
    jitter_.Get(samples, kFrameSamples);
    if (mode_ == DtmfMode::Inband || (mode_ == DtmfMode::Auto && eventPayload_ < 0))
        dtmf_dec_probe(inband_, samples, kFrameSamples);
    if (faxDetector_.Process(samples, kFrameSamples))
        events_->OnFaxTone();
    if (audio_)
        audio_->Push(samples, kFrameSamples);
}

void CallMedia::ReadRtp() {
    if (rtpFd_ < 0)
        return;
    // Everything that arrived since the last frame, several packets to a
    // call of the kernel (usually one packet: one call, instead of a second
    // one that only finds the socket empty).
    struct Received {
        uint8_t packet[kRtpHeaderRoom + kMaxPayload + 64];
        struct sockaddr_storage from;
        struct iovec io;
    };
    Received received[kPacketsPerRead];
    struct mmsghdr messages[kPacketsPerRead];
    for (int taken = 0; taken < kMaxPacketsPerFrame;) {
        for (int i = 0; i < kPacketsPerRead; ++i) {
            received[i].io = {received[i].packet, sizeof received[i].packet};
            messages[i] = {};
            messages[i].msg_hdr.msg_name = &received[i].from;
            messages[i].msg_hdr.msg_namelen = sizeof received[i].from;
            messages[i].msg_hdr.msg_iov = &received[i].io;
            messages[i].msg_hdr.msg_iovlen = 1;
        }
        const int count = ::recvmmsg(rtpFd_, messages, kPacketsPerRead, MSG_DONTWAIT, nullptr);
        if (count <= 0) {
            if (count < 0 && (errno == EINTR || errno == ECONNREFUSED)) {
                ++taken;
                continue;
            }
            return;  // nothing more this frame
        }
        for (int i = 0; i < count; ++i)
            OnPacket(received[i].packet, sizeof received[i].packet, messages[i].msg_len,
                     received[i].from);
        taken += count;
        if (count < kPacketsPerRead)
            return;
    }
}

void CallMedia::OnPacket(uint8_t* packet, size_t room, size_t length,
                         const struct sockaddr_storage& from) {
    struct mbuf mb;
    mb.buf = packet;
    mb.size = room;
    mb.pos = 0;
    mb.end = length;
    // A packet that does not authenticate is not from the peer.
    if (rxSrtp_) {
        if (srtp_decrypt(rxSrtp_, &mb))
            return;
        mb.pos = 0;
    }
    struct rtp_header header;
    if (rtp_hdr_decode(&header, &mb) || header.ver != RTP_VERSION)
        return;
    if (header.pad && mbuf_get_left(&mb) > 0) {
        const size_t padding = packet[mb.end - 1];
        if (padding > mbuf_get_left(&mb))
            return;
        mb.end -= padding;
    }
    struct sa source;
    if (sa_set_sa(&source, reinterpret_cast<const struct sockaddr*>(&from)))
        return;
    OnRtp(source, header, &mb);
}

void CallMedia::OnInbandDigit(char digit, void* arg) {
    auto* self = static_cast<CallMedia*>(arg);
    self->events_->OnMediaDigit(digit, DigitSource::Inband);
}

void CallMedia::OnRtp(const struct sa& source, const struct rtp_header& header,
                      struct mbuf* payload) {
    if (!running_)
        return;
    if (sdpRemote_ && sa_cmp(&source, sdpRemote_.get(), SA_ADDR)) {
        heardFromSdpAddress_ = true;
    } else if (!heardFromSdpAddress_ && !latched_) {
        // A peer behind NAT: answer where its packets come from.
        latched_ = true;
        remote_ = std::make_unique<struct sa>(source);
    } else if (!(latched_ && sa_cmp(&source, remote_.get(), SA_ALL))) {
        return;
    }

    const size_t size = std::min(mbuf_get_left(payload), kMaxPayload);
    const uint8_t* data = mbuf_buf(payload);
    if (header.pt == eventPayload_ && eventPayload_ >= 0) {
        TelephoneEvent event;
        if (DecodeTelephoneEvent(data, size, &event)) {
            const char digit = eventReceiver_.OnPacket(header.ts, event);
            if (digit)
                events_->OnMediaDigit(digit, DigitSource::Rfc4733);
        }
        return;
    }
    const bool mu = header.pt == muPayload_ && muPayload_ >= 0;
    const bool a = header.pt == aPayload_ && aPayload_ >= 0;
    if (!mu && !a)
        return;  // comfort noise and anything not negotiated
    for (size_t i = 0; i < size; ++i)
        decoded_[i] = mu ? g711_ulaw2pcm(data[i]) : g711_alaw2pcm(data[i]);
    jitter_.Put(header.ts, decoded_.data(), size);
}

}  // namespace orvia::sip
