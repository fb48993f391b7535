// The SIP user agent of one account: its SIP stack (sip_stack_p.h) on the
// listen address, its registration, and one call at a time on each of its
// channels.
//
// The stack listens on the device's address (UDP, TCP or TLS), answers
// OPTIONS and refuses a request that lacks a mandatory header (400); the
// agent refuses calls from addresses outside "acceptfrom" (403). An incoming
// call goes to the first open channel without a call; with none free it
// hears 486 Busy Here. With a registrar it registers the account (digest
// authentication, refreshed before it expires), says how each registration
// went, tries a failed one again when the registrar's Retry-After says or
// after a wait that grows with each failure in a row, and sends a keep-alive
// to the registrar every "natkeepalive" seconds while registered. Closing a
// channel ends its call (BYE, 486 or CANCEL); destroying the agent ends every
// call and retires the stack, which removes the registration and closes once
// those last transactions have finished.
//
// Threads: the SIP loop thread only (made and destroyed there too), asserted
// in debug builds.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/sip/line_sink_p.h"
#include "platform/sip/media_port.h"
#include "platform/sip/sip_settings.h"
#include "platform/sip/sip_stack_p.h"

struct sip;
struct sipsess_sock;
struct sip_auth;
struct sip_msg;
struct sa;

namespace orvia::sip {

class SipCall;
class SipLoop;

class SipAgent : private SipStackOwner {
public:
    // Null with a reason in *error when the stack cannot start (the address
    // is in use, say).
    static std::unique_ptr<SipAgent> Create(const SipDeviceSettings& settings, SipLoop* loop,
                                            MediaPortFactory audio, std::string* error);
    ~SipAgent() override;
    SipAgent(const SipAgent&) = delete;
    SipAgent& operator=(const SipAgent&) = delete;

    // A channel (0 .. channels - 1) opened by its line, which hears of its
    // calls through sink; closing it ends its call without a report.
    void OpenChannel(int channel, LineSink* sink);
    void CloseChannel(int channel);

    // The requests of a channel's line.
    void Answer(int channel, CallHandle call, RequestId request);
    void Drop(int channel, CallHandle call, RequestId request);
    void MakeCall(int channel, const std::string& uri, RequestId request);
    void BlindTransfer(int channel, CallHandle call, const std::string& number, RequestId request);
    void GenerateDigits(int channel, CallHandle call, const std::string& digits);

    // "ip:port" the stack listens on.
    std::string LocalAddress() const { return stack_->LocalAddress(); }
    bool Registered() const { return registered_; }
    const RegistrationStatus& Registration() const { return registration_; }

    // For the calls.
    const SipDeviceSettings& Settings() const { return settings_; }
    struct sip* Stack() const {
        return stack_->Sip();
    }
    struct sipsess_sock* Sessions() const {
        return stack_->Sessions();
    }
    struct sip_auth* Auth() const {
        return stack_->Auth();
    }
    // The argument of SipStack::AuthHandler for the calls' sessions.
    void* AuthArg() const { return stack_; }
    // Where RTP is bound and the address the SDP names.
    const struct sa& MediaAddress() const { return stack_->MediaAddress(); }
    std::unique_ptr<MediaPort> NewMediaPort() const;
    // The call ended; it is deleted once its handler has returned, and at the
    // latest with the agent, never after it.
    void CallEnded(SipCall* call);

private:
    struct Channel {
        LineSink* sink = nullptr;  // null while the channel is closed
        std::unique_ptr<SipCall> call;
        std::string dialledHost;  // the host its outgoing call dials, for TLS
    };

    SipAgent(const SipDeviceSettings& settings, SipLoop* loop, MediaPortFactory audio);
    // The registration was started: said in the status.
    void RegistrationStarted();
    // The registration failed with reason: said, and tried again after the
    // registrar's Retry-After when it gave one (retryAfter seconds, 0 for
    // none), else after a wait that grows with each failure in a row.
    void RegistrationFailed(const std::string& reason, int retryAfter = 0);
    // "SIP device [section] "name"", for the program's events.
    std::string Who() const;
    // The channel's live call with that handle; null for none.
    SipCall* Find(int channel, CallHandle call) const;
    // The channel's sink; null for a closed or unknown channel.
    LineSink* SinkOf(int channel) const;
    // The channel's call is gone: what it expected of TLS is forgotten.
    void ForgetDialledHost(Channel& channel);
    // Keeps an ended call until the libre handler that ended it has
    // returned (or the agent goes).
    void DeleteLater(std::unique_ptr<SipCall> call);

    // SipStackOwner
    void OnIncomingCall(const struct sip_msg* msg) override;
    void OnRegisterResponse(int err, const struct sip_msg* msg) override;
    static void OnKeepaliveTimer(void* arg);
    static void OnRetryTimer(void* arg);

    SipDeviceSettings settings_;
    SipLoop* loop_;
    MediaPortFactory audio_;
    SipStack* stack_ = nullptr;  // retired (not deleted) with the agent
    struct Handles;
    std::unique_ptr<Handles> handles_;
    std::vector<Channel> channels_;
    // Calls that have ended, waiting to be deleted.
    std::vector<std::unique_ptr<SipCall>> ended_;
    // Lets a deletion posted to the loop know whether the agent still exists.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    CallHandle nextHandle_ = 1;
    bool registered_ = false;
    RegistrationStatus registration_;
    int failuresInARow_ = 0;
    int retryWait_ = 0;        // seconds until the next attempt after a failure
    bool retryWaits_ = false;  // the retry timer runs until the next attempt
    bool closing_ = false;
};

}  // namespace orvia::sip
