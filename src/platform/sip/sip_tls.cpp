// libre declares its OpenSSL accessors only with this set.
#define USE_OPENSSL 1
#include "platform/sip/sip_tls_p.h"

#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <vector>

#include "platform/diagnostics/diagnostics.h"
#include "platform/sip/libre_p.h"
#include "platform/sip/sip_loop_p.h"

namespace orvia::sip {
namespace {

std::string OpenSslError() {
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (code == 0)
        return "unknown error";
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return text;
}

// "[::1]" → "::1": how a host stands in a URI, and how a certificate names it.
std::string BareHost(const std::string& host) {
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        return host.substr(1, host.size() - 2);
    return host;
}

bool IsAddress(const std::string& host) {
    unsigned char buffer[16];
    return inet_pton(AF_INET, host.c_str(), buffer) == 1 ||
           inet_pton(AF_INET6, host.c_str(), buffer) == 1;
}

std::string SubjectOf(X509* certificate) {
    if (!certificate)
        return "(no certificate)";
    char text[256] = {};
    X509_NAME_oneline(X509_get_subject_name(certificate), text, sizeof text);
    return text;
}

// Connections the line accepts ask nothing of the client: the check below is
// for the servers it connects to.
int AcceptWithoutClientCheck(SSL* ssl, int*, void*) {
    SSL_set_verify(ssl, SSL_VERIFY_NONE, nullptr);
    return SSL_CLIENT_HELLO_SUCCESS;
}

}  // namespace

SipTls::SipTls(std::string who, std::string serverHost)
    : who_(std::move(who)), serverHost_(BareHost(serverHost)) {}

std::unique_ptr<SipTls> SipTls::Create(const SipDeviceSettings& settings, std::string who,
                                       std::string* error) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    std::unique_ptr<SipTls> self(new SipTls(std::move(who), settings.serverHost));
    if (tls_alloc(&self->tls_, TLS_METHOD_SSLV23, nullptr, nullptr) != 0) {
        *error = "TLS cannot start: " + OpenSslError();
        return nullptr;
    }
    SSL_CTX* context = tls_openssl_context(self->tls_);
    SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
    if (!settings.tlsCert.empty()) {
        if (SSL_CTX_use_certificate_chain_file(context, settings.tlsCert.c_str()) != 1) {
            *error = "\"tlscert\" " + settings.tlsCert + " cannot be used: " + OpenSslError();
            return nullptr;
        }
        if (SSL_CTX_use_PrivateKey_file(context, settings.tlsKey.c_str(), SSL_FILETYPE_PEM) != 1) {
            *error = "\"tlskey\" " + settings.tlsKey + " cannot be used: " + OpenSslError();
            return nullptr;
        }
        if (SSL_CTX_check_private_key(context) != 1) {
            *error = "\"tlskey\" " + settings.tlsKey + " is not the key of \"tlscert\" " +
                     settings.tlsCert;
            ERR_clear_error();
            return nullptr;
        }
    }
    if (!settings.tlsVerify) {
        ReportWarning("sip", self->who_ +
                                 ": \"tlsverify\" is false: TLS server certificates are not "
                                 "checked, so anyone between this computer and the server can "
                                 "read and change the calls' signalling");
        return self;
    }
    if (SSL_CTX_set_default_verify_paths(context) != 1) {
        *error = "the system's CA certificates cannot be loaded: " + OpenSslError();
        return nullptr;
    }
    SSL_CTX_set_app_data(context, self.get());
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, &SipTls::OnVerify);
    SSL_CTX_set_client_hello_cb(context, &AcceptWithoutClientCheck, nullptr);
    return self;
}

SipTls::~SipTls() {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    if (!tls_)
        return;
    // The stack may hold the context a little longer; it no longer finds us.
    SSL_CTX_set_app_data(tls_openssl_context(tls_), nullptr);
    tls_ = static_cast<struct tls*>(mem_deref(tls_));
}

void SipTls::Expect(const std::string& host) {
    ++dialled_[BareHost(host)];
}

void SipTls::Forget(const std::string& host) {
    auto it = dialled_.find(BareHost(host));
    if (it != dialled_.end() && --it->second <= 0)
        dialled_.erase(it);
}

std::string SipTls::TakeRefusal() {
    std::string refusal;
    refusal.swap(refusal_);
    return refusal;
}

int SipTls::OnVerify(int ok, X509_STORE_CTX* store) {
    auto* ssl =
        static_cast<SSL*>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
    auto* self = ssl ? static_cast<SipTls*>(SSL_CTX_get_app_data(SSL_get_SSL_CTX(ssl))) : nullptr;
    if (!self)
        return 0;
    X509* certificate = X509_STORE_CTX_get_current_cert(store);
    if (!ok) {
        self->Refuse(certificate, X509_verify_cert_error_string(X509_STORE_CTX_get_error(store)));
        return 0;
    }
    if (X509_STORE_CTX_get_error_depth(store) == 0 && !self->NamesExpectedHost(certificate)) {
        X509_STORE_CTX_set_error(store, X509_V_ERR_HOSTNAME_MISMATCH);
        std::string names = self->serverHost_;
        for (const auto& [host, count] : self->dialled_)
            names += (names.empty() ? "" : " or ") + host;
        self->Refuse(certificate,
                     "it is not the certificate of " +
                         (names.empty() ? std::string("a server this line knows") : names));
        return 0;
    }
    return 1;
}

bool SipTls::NamesExpectedHost(X509* certificate) const {
    std::vector<std::string> names;
    if (!serverHost_.empty())
        names.push_back(serverHost_);
    for (const auto& [host, count] : dialled_)
        names.push_back(host);
    for (const std::string& name : names) {
        const int match = IsAddress(name)
                              ? X509_check_ip_asc(certificate, name.c_str(), 0)
                              : X509_check_host(certificate, name.c_str(), name.size(),
                                                X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS, nullptr);
        if (match == 1)
            return true;
    }
    return false;
}

void SipTls::Refuse(X509* certificate, const std::string& reason) {
    refusal_ = "the server's certificate " + SubjectOf(certificate) + " does not verify: " + reason;
    ReportError("sip", who_ + ": TLS connection refused: " + refusal_);
}

}  // namespace orvia::sip
