// The media of one SIP call: its SDP offer/answer, its RTP socket and the
// G.711 audio moved every 20 ms between RTP and the call's audio ends.
//
// With media encryption, RTP is SRTP keyed by SDES (sdes_crypto_p.h): our
// offers carry a key for each of the two suites (RTP/SAVP when encryption is
// required, RTP/AVP when it is optional); an offer or answer is taken with
// the first of its keys we can use, and our answer carries our own key for
// that suite. "srtp" refuses media without a usable key; "srtp-optional"
// falls back to plain RTP unless the peer insists on RTP/SAVP. Without
// encryption keys in an offer are ignored and RTP/SAVP is refused.
//
// We offer and accept PCMU and PCMA (ptime 20) and, unless the keys are set
// to in-band or INFO only, telephone-event/8000 (events 0-16). Outgoing audio
// is what the line plays, pulled at the media clock, encoded with the codec
// the peer prefers and sent while the direction allows. Received packets are
// read at the same clock (one wake-up per 20 ms for all calls, not one per
// packet), go through a jitter buffer and reach the line, gaps filled with
// silence. Received keys come from RFC 4733 events, and from the in-band
// detector when the mode is "inband", or "auto" and the peer negotiated no
// telephone-event. A fax calling tone is reported once. RTP is taken from the
// address the SDP names, or, before any packet came from there, from the
// first source that sends (a peer behind NAT); packets from elsewhere are
// dropped.
//
// Threads: the SIP loop thread only, asserted in debug builds.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/sip/digit_merger_p.h"
#include "platform/sip/digit_sequencer_p.h"
#include "platform/sip/fax_tone_detector_p.h"
#include "platform/sip/jitter_buffer_p.h"
#include "platform/sip/media_clock_p.h"
#include "platform/sip/media_port.h"
#include "platform/sip/sdes_crypto_p.h"
#include "platform/sip/sip_settings.h"
#include "platform/sip/telephone_event_p.h"

struct mbuf;
struct sa;
struct sockaddr_storage;
struct sdp_session;
struct sdp_media;
struct rtp_sock;
struct rtp_header;
struct dtmf_dec;
struct srtp;

namespace orvia::sip {

class CallMediaEvents {
public:
    virtual ~CallMediaEvents() = default;
    virtual void OnMediaDigit(char digit, DigitSource source) = 0;
    virtual void OnFaxTone() = 0;
    // A key of a dial string to send as SIP INFO ('!' for the flash).
    virtual void OnSendInfoDigit(char digit) = 0;
    // The dial string given to SendDigits is out.
    virtual void OnDigitsSent() = 0;
};

enum class G711 { Mu, A };

class CallMedia : private MediaParticipant {
public:
    CallMedia(DtmfMode mode, MediaEncryption encryption, CallMediaEvents* events);
    ~CallMedia() override;
    CallMedia(const CallMedia&) = delete;
    CallMedia& operator=(const CallMedia&) = delete;

    // Opens the RTP socket on bindIp and prepares the SDP that names
    // sdpIp. An error code of libre (0 = success).
    int Init(const struct sa& bindIp, const struct sa& sdpIp);

    // Offer/answer. Decode returns 0 or an error code; an offer or answer
    // with no common codec is refused, and a refused offer changes nothing.
    int DecodeOffer(struct mbuf* body);
    int DecodeAnswer(struct mbuf* body);
    int Encode(struct mbuf** body, bool offer);
    bool HasCommonCodec() const { return txPayload_ >= 0; }
    bool HasTelephoneEvents() const { return eventPayload_ >= 0; }
    G711 SendCodec() const { return txCodec_; }
    // Whether the agreed direction lets us send (not on hold by the peer).
    bool CanSend() const { return canSend_; }
    // Whether RTP is protected (SRTP) both ways.
    bool Secure() const { return txSrtp_ != nullptr && rxSrtp_ != nullptr; }

    // Starts moving audio (the call is connected); takes the audio ends.
    void Start(std::unique_ptr<MediaPort> audio);
    void Stop();
    bool Running() const { return running_; }
    const MediaPort* Audio() const { return audio_.get(); }

    // Sends a dial string; a string still being sent is cut short (and
    // reported sent first).
    void SendDigits(const std::string& digits);

    uint16_t LocalRtpPort() const;

private:
    // Whether an offer leaves us a codec, judged without touching our SDP.
    bool OfferIsUsable(struct mbuf* body) const;
    void OnFrame() override;
    // Reads the RTP packets that arrived since the last frame.
    void ReadRtp();
    // One received packet (length bytes of room in packet, which it may
    // change in place) from its sender.
    void OnPacket(uint8_t* packet, size_t room, size_t length, const struct sockaddr_storage& from);
    void OnRtp(const struct sa& source, const struct rtp_header& header, struct mbuf* payload);
    void ApplyNegotiation();
    // Takes the keys of an offer or answer just decoded (see above); an
    // error code when the media cannot go on without encryption.
    int ApplyCrypto(bool offer);
    void SetOfferedKeys();
    void StopEncryption();
    // Sends one RTP packet whose payload starts at mb->pos (with room for the
    // header before it), protected when SRTP is on.
    void SendPacket(bool marker, uint8_t payloadType, uint32_t timestamp, struct mbuf* mb);
    void SendFrame();
    void ReceiveFrame();
    void SendAudio(const int16_t* samples);
    void SendEvents(const DigitFrame& frame);
    static void OnInbandDigit(char digit, void* arg);

    DtmfMode mode_;
    MediaEncryption encryption_;
    CallMediaEvents* events_;
    struct sdp_session* sdp_ = nullptr;
    struct sdp_media* media_ = nullptr;
    struct rtp_sock* rtp_ = nullptr;
    int rtpFd_ = -1;
    struct mbuf* txBuffer_ = nullptr;
    struct dtmf_dec* inband_ = nullptr;
    std::unique_ptr<MediaPort> audio_;
    bool running_ = false;

    // Negotiated payload types (-1 = none).
    int txPayload_ = -1;
    G711 txCodec_ = G711::Mu;
    int muPayload_ = -1;
    int aPayload_ = -1;
    int eventPayload_ = -1;
    bool canSend_ = true;
    std::unique_ptr<struct sa> remote_;     // where we send RTP
    std::unique_ptr<struct sa> sdpRemote_;  // the address the SDP names
    bool latched_ = false;
    bool heardFromSdpAddress_ = false;

    uint32_t txTimestamp_;
    bool nextMarker_ = true;
    JitterBuffer jitter_;
    TelephoneEventReceiver eventReceiver_;
    FaxToneDetector faxDetector_;
    std::optional<DigitSequencer> sequencer_;
    std::vector<int16_t> frame_;
    std::vector<int16_t> decoded_;

    // SRTP: our key for each suite (offered with tags 1 and 2), the peer's
    // key in use and the contexts that protect what we send and check what
    // we receive.
    std::array<SdesCrypto, 2> ourKeys_;
    std::optional<SdesCrypto> theirKey_;
    std::optional<SrtpSuite> sendingSuite_;
    struct srtp* txSrtp_ = nullptr;
    struct srtp* rxSrtp_ = nullptr;
};

}  // namespace orvia::sip
