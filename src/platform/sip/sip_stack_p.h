// The libre side of one line's user agent: its SIP stack on the listen
// address, the session socket that takes its calls, the credentials its
// requests answer challenges with, and its registration.
//
// The stack can outlive its agent. Closing a line ends its call, and the
// call's session then still runs its last transaction (BYE, 486 or CANCEL),
// as the registration runs its un-REGISTER; each of them holds the stack.
// libre frees a stack whose last holder lets go from inside that holder's
// transaction handler, and the transaction then goes on in freed memory. So
// once the agent has gone (Retire), the stack keeps its own hold until
// nothing else holds it any more and lets go from a timer of its own; should
// the loop stop first, what is still in flight is ended by force then. Until
// then every libre handler of the stack takes the stack itself as its
// argument, never the agent, and new calls are refused.
//
// Every request passes the stack's check first: one that lacks a header
// every SIP request must carry is refused with 400 (request_check_p.h) and
// never reaches a dialog; OPTIONS is answered here.
//
// Threads: the SIP loop thread only (made and retired there too).
#pragma once

#include <memory>
#include <string>

#include "platform/sip/sip_settings.h"

struct sip;
struct sipsess_sock;
struct sip_auth;
struct sip_msg;
struct sa;

namespace orvia::sip {

class SipLoop;
class SipTls;

// What the stack hands to its agent while it has one.
class SipStackOwner {
public:
    virtual ~SipStackOwner() = default;
    virtual void OnIncomingCall(const struct sip_msg* msg) = 0;
    // A reply to the registration (msg null when it failed without one).
    virtual void OnRegisterResponse(int err, const struct sip_msg* msg) = 0;
};

class SipStack {
public:
    // The stack listening on the device's address, registering when the
    // device has a registrar; null with a reason in *error.
    static SipStack* Open(const SipDeviceSettings& settings, SipLoop* loop, SipStackOwner* owner,
                          std::string* error);
    SipStack(const SipStack&) = delete;
    SipStack& operator=(const SipStack&) = delete;

    // The agent has gone: un-registers, and frees the stack once its last
    // transactions have finished (or when the loop stops). The pointer must
    // not be used afterwards.
    void Retire();

    struct sip* Sip() const {
        return sip_;
    }
    struct sipsess_sock* Sessions() const {
        return sessions_;
    }
    struct sip_auth* Auth() const {
        return auth_;
    }
    const struct sa& MediaAddress() const;
    // The TLS check of a stack on transport=tls; null otherwise.
    SipTls* Tls() const;
    // The transport the stack listens and sends on (an enum sip_transp).
    int Transport() const;
    // "ip:port" the stack listens on.
    std::string LocalAddress() const;

    // Ends the registration, so the stack does not try again on a schedule
    // of its own (not from inside its response handler: from a timer).
    void Unregister();
    // Registers anew with the device's registrar; 0 or the error.
    int Register();
    // Answers challenges with the device's account; arg is the stack.
    static int AuthHandler(char** user, char** password, const char* realm, void* arg);

private:
    SipStack(const SipDeviceSettings& settings, SipLoop* loop, SipStackOwner* owner);
    ~SipStack();
    int Start();
    // Lets go of everything (ending what is still in flight) and deletes the
    // stack.
    void Finish();

    static void OnIncomingCall(const struct sip_msg* msg, void* arg);
    static bool OnRequest(const struct sip_msg* msg, void* arg);
    // 400 Bad Request, with the problem in a Warning header.
    void RefuseBadRequest(const struct sip_msg* msg, const std::string& problem);
    static void OnRegisterResponse(int err, const struct sip_msg* msg, void* arg);
    static void OnRetiredTimer(void* arg);

    SipDeviceSettings settings_;
    SipLoop* loop_;
    SipStackOwner* owner_;  // null once retired
    struct sip* sip_ = nullptr;
    struct sipsess_sock* sessions_ = nullptr;
    struct sip_auth* auth_ = nullptr;
    struct Handles;
    std::unique_ptr<Handles> handles_;
};

}  // namespace orvia::sip
