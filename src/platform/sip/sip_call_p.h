// One SIP call of a line: its session (dialog), its media and its place in
// the line's call states.
//
// Incoming: accepted at once with 180 Ringing, the offering state and then a
// ring every ring interval until the line answers (200 OK with the SDP
// answer; connected at the ACK) or the caller cancels. Outgoing: an INVITE
// whose answer is the connected state, a busy reply the busy state, any other
// failure (or no answer within a minute) an error reply. A connected call
// moves audio at the media clock, reports keys (RFC 4733, SIP INFO, in-band;
// each press once), reports a fax (calling tone or T.38 re-INVITE, which is
// refused), follows hold and resume re-INVITEs, sends dial strings, and
// transfers by REFER. A local hang-up sends BYE (486 before the answer,
// CANCEL for an unanswered outgoing call); the peer's BYE or CANCEL gives the
// disconnected state; either way the idle state follows once the dialog is
// gone.
//
// Threads: the SIP loop thread only, asserted in debug builds.
#pragma once

#include <memory>
#include <string>

#include "platform/sip/call_media_p.h"
#include "platform/sip/digit_merger_p.h"
#include "platform/sip/line_sink_p.h"
#include "platform/telephony/telephony.h"

struct sip_msg;
struct sipsess;
struct sip_request;
struct sip;

namespace orvia::sip {

class SipAgent;

class SipCall : public CallMediaEvents {
public:
    // A call of the agent's channel whose line hears of it through sink.
    SipCall(SipAgent* agent, LineSink* sink, CallHandle handle);
    ~SipCall() override;
    SipCall(const SipCall&) = delete;
    SipCall& operator=(const SipCall&) = delete;

    CallHandle Handle() const { return handle_; }
    bool Ended() const { return state_ == State::Ended; }

    // An incoming INVITE: an error code for the reply the agent sends instead
    // (0 = accepted with 180 and the call offered).
    uint16_t Accept(const struct sip_msg* invite);
    // An outgoing call to a SIP URI; false when it cannot be started.
    bool Connect(const std::string& uri, RequestId request);

    void Answer(RequestId request);
    // Local hang-up; replies to the request and reports idle.
    void Hangup(RequestId request);
    // A blind transfer by REFER to a number or URI (see BuildDialTarget).
    void Transfer(const std::string& number, RequestId request);
    void SendDigits(const std::string& digits);

    // Ends the call without reporting anything (the line is closing).
    void Abandon();

private:
    enum class State { Offered, Answering, Dialing, Connected, Ended };

    // Session handlers.
    static int OnOffer(struct mbuf** desc, const struct sip_msg* msg, void* arg);
    static int OnAnswer(const struct sip_msg* msg, void* arg);
    static void OnProgress(const struct sip_msg* msg, void* arg);
    static void OnEstablished(const struct sip_msg* msg, void* arg);
    static void OnInfo(struct sip* sip, const struct sip_msg* msg, void* arg);
    static void OnReferOrNotify(struct sip* sip, const struct sip_msg* msg, void* arg);
    static void OnClose(int err, const struct sip_msg* msg, void* arg);
    static void OnReferResponse(int err, const struct sip_msg* msg, void* arg);
    static void OnRingTimer(void* arg);
    static void OnGiveUpTimer(void* arg);

    int HandleOffer(struct mbuf** desc, const struct sip_msg* msg);
    void HandleEstablished();
    void HandleClose(int err, const struct sip_msg* msg);
    void HandleNotify(struct sip* sip, const struct sip_msg* msg);
    void FinishTransfer(bool ok);

    // CallMediaEvents
    void OnMediaDigit(char digit, DigitSource source) override;
    void OnFaxTone() override;
    void OnSendInfoDigit(char digit) override;
    void OnDigitsSent() override;

    void ReportFax();
    // Releases the session and media; reports idle unless silent.
    void End(bool reportIdle);

    SipAgent* agent_;
    LineSink* sink_;
    CallHandle handle_;
    State state_ = State::Offered;
    bool outgoing_ = false;
    std::string peerDomain_;  // host[:port] of the caller's address
    bool lateOffer_ = false;  // the INVITE had no SDP: ours goes in the 200, theirs in the ACK
    struct sipsess* session_ = nullptr;
    std::unique_ptr<CallMedia> media_;
    DigitMerger merger_;
    bool faxReported_ = false;
    int rings_ = 0;
    RequestId answerRequest_ = 0;
    RequestId dialRequest_ = 0;
    RequestId transferRequest_ = 0;
    bool transferAccepted_ = false;
    struct sip_request* referRequest_ = nullptr;
    struct Timers;
    std::unique_ptr<Timers> timers_;
};

}  // namespace orvia::sip
