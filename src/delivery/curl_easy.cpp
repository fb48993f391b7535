#include "delivery/curl_easy_p.h"

#include <sys/socket.h>

#include <mutex>

namespace orvia::curl {
namespace {

int OnProgress(void* clientp, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* stop = static_cast<const StopCheck*>(clientp);
    return StopNow(*stop) ? 1 : 0;
}

}  // namespace

bool GlobalInit() {
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] { ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    return ready;
}

EasyHandle NewEasy() {
    if (!GlobalInit())
        return nullptr;
    return EasyHandle(curl_easy_init());
}

StringList::~StringList() {
    if (list_ != nullptr)
        curl_slist_free_all(list_);
}

bool StringList::Append(const std::string& text) {
    curl_slist* grown = curl_slist_append(list_, text.c_str());
    if (grown == nullptr)
        return false;
    list_ = grown;
    return true;
}

bool ApplyControl(CURL* handle, const TransferControl& control, const char* protocols) {
    bool ok = curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, protocols) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS,
                                static_cast<long>(control.connectTimeoutMs)) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS,
                                static_cast<long>(control.totalTimeoutMs)) == CURLE_OK;
    if (control.stop) {
        ok = ok && curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &OnProgress) == CURLE_OK;
        ok = ok && curl_easy_setopt(handle, CURLOPT_XFERINFODATA,
                                    const_cast<StopCheck*>(&control.stop)) == CURLE_OK;
        ok = ok && curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L) == CURLE_OK;
    }
    return ok;
}

void CutConnection(CURL* handle) {
    curl_socket_t socket = CURL_SOCKET_BAD;
    if (curl_easy_getinfo(handle, CURLINFO_ACTIVESOCKET, &socket) == CURLE_OK &&
        socket != CURL_SOCKET_BAD)
        ::shutdown(socket, SHUT_RDWR);
}

TransferStatus StatusOf(CURLcode code) {
    switch (code) {
        case CURLE_OK:
            return TransferStatus::Ok;
        case CURLE_ABORTED_BY_CALLBACK:
            return TransferStatus::Aborted;
        case CURLE_OPERATION_TIMEDOUT:
            return TransferStatus::TimedOut;
        case CURLE_LOGIN_DENIED:
            return TransferStatus::LoginDenied;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_CONNECT:
            return TransferStatus::Unreachable;
        case CURLE_URL_MALFORMAT:
            return TransferStatus::InvalidInput;
        case CURLE_REMOTE_ACCESS_DENIED:
        case CURLE_QUOTE_ERROR:
        case CURLE_UPLOAD_FAILED:
        case CURLE_USE_SSL_FAILED:
        case CURLE_REMOTE_FILE_NOT_FOUND:
        case CURLE_FTP_COULDNT_RETR_FILE:
            return TransferStatus::Refused;
        default:
            return TransferStatus::Failed;
    }
}

std::string EscapeSegment(std::string_view segment) {
    char* escaped = curl_easy_escape(nullptr, segment.data(), static_cast<int>(segment.size()));
    if (escaped == nullptr)
        return {};
    std::string result(escaped);
    curl_free(escaped);
    return result;
}

}  // namespace orvia::curl
