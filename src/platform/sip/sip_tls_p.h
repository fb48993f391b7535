// The TLS context of a SIP stack whose transport is TLS (libre's TLS over
// OpenSSL, TLS 1.2 or later).
//
// A line that takes connections presents its own certificate ("tlscert",
// "tlskey"); it asks nothing of the clients that connect. Every server the
// line connects to must present a certificate that verifies against the
// system's CA store (OpenSSL's default paths, which SSL_CERT_FILE and
// SSL_CERT_DIR may replace) and that names the server: the account's server
// (outbound proxy, else registrar) or the host of a call the line is
// dialling. A certificate that fails is refused, the connection closed and
// the refusal reported as a program event; "tlsverify" false skips the check
// (reported once as a warning when the stack starts).
//
// Threads: the SIP loop thread only (OpenSSL calls the check from libre's
// handlers there).
#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/sip/sip_settings.h"

struct tls;
struct x509_st;
struct x509_store_ctx_st;

namespace orvia::sip {

class SipTls {
public:
    // who names the device in events. Null with a reason in *error when the
    // certificate or key cannot be used.
    static std::unique_ptr<SipTls> Create(const SipDeviceSettings& settings, std::string who,
                                          std::string* error);
    ~SipTls();
    SipTls(const SipTls&) = delete;
    SipTls& operator=(const SipTls&) = delete;

    // The context for sip_transp_add (held by the stack too).
    struct tls* Context() const {
        return tls_;
    }

    // A host a server certificate may name while a call dials it (counted:
    // every Expect is matched by one Forget).
    void Expect(const std::string& host);
    void Forget(const std::string& host);

    // Why the last server certificate was refused, cleared by the call;
    // empty when none was refused since.
    std::string TakeRefusal();

private:
    SipTls(std::string who, std::string serverHost);
    static int OnVerify(int ok, struct x509_store_ctx_st* store);
    bool NamesExpectedHost(struct x509_st* certificate) const;
    void Refuse(struct x509_st* certificate, const std::string& reason);

    struct tls* tls_ = nullptr;
    std::string who_;
    std::string serverHost_;
    std::map<std::string, int> dialled_;
    std::string refusal_;
};

}  // namespace orvia::sip
