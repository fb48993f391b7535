// Handles and shared settings of libcurl for the delivery transfers.
//
// Internal to delivery. Each handle belongs to the thread that uses it; the
// process-wide libcurl set-up happens once, on first use, from any thread.
#pragma once

#include <curl/curl.h>

#include <memory>
#include <string>
#include <string_view>

#include "delivery/transfer_control.h"

namespace orvia::curl {

// Sets up libcurl for the process once; false when that failed.
bool GlobalInit();

struct EasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;

// A new easy handle, null when libcurl cannot be set up.
EasyHandle NewEasy();

// A libcurl string list (recipients, headers, FTP commands).
class StringList {
public:
    StringList() = default;
    ~StringList();
    StringList(const StringList&) = delete;
    StringList& operator=(const StringList&) = delete;

    bool Append(const std::string& text);
    curl_slist* Get() const { return list_; }

private:
    curl_slist* list_ = nullptr;
};

struct MimeDeleter {
    void operator()(curl_mime* mime) const { curl_mime_free(mime); }
};
using MimeHandle = std::unique_ptr<curl_mime, MimeDeleter>;

// Applies what every transfer needs: the allowed protocols (libcurl's list
// form, "ftp" or "smtp,smtps"), no redirects, no signals, the connect and
// total timeouts, and the stop check as a progress callback. The control must
// outlive the transfer.
bool ApplyControl(CURL* handle, const TransferControl& control, const char* protocols);

// Cuts the handle's connection (if it still has one) without the protocol's
// goodbye: after a failed or stopped transfer, libcurl would otherwise wait up
// to two minutes for a stalled server to answer QUIT when the handle closes.
void CutConnection(CURL* handle);

// What one transfer heard from its server, for saying why it failed: the
// server's replies (SMTP and FTP reply lines such as "550 5.1.1 Mailbox
// unavailable") and libcurl's own error text. Attach it to a handle before
// each transfer (again after curl_easy_reset); it must outlive the transfer.
// Only what the server sends is looked at, never what is sent to it.
class TransferReport {
public:
    bool Attach(CURL* handle);
    // The last reply line with an error code (4xx or 5xx); empty when none.
    const std::string& ErrorReply() const { return errorReply_; }
    // libcurl's description of the failure; empty when it gave none.
    std::string ErrorText() const { return errorBuffer_; }
    // "refused by the server: the server answered "550 ..."", or with
    // libcurl's text when the server said nothing.
    std::string Describe(TransferStatus status) const;

private:
    static int OnDebug(CURL* handle, curl_infotype type, char* data, std::size_t size, void* self);
    void Heard(std::string_view text);

    std::string errorReply_;
    char errorBuffer_[CURL_ERROR_SIZE] = {};
};

// The outcome class of a libcurl result.
TransferStatus StatusOf(CURLcode code);

// One URL path segment, percent-encoded.
std::string EscapeSegment(std::string_view segment);

}  // namespace orvia::curl
