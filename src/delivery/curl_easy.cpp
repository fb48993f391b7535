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

bool TransferReport::Attach(CURL* handle) {
    errorReply_.clear();
    errorBuffer_[0] = '\0';
    return curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorBuffer_) == CURLE_OK &&
           curl_easy_setopt(handle, CURLOPT_DEBUGFUNCTION, &TransferReport::OnDebug) == CURLE_OK &&
           curl_easy_setopt(handle, CURLOPT_DEBUGDATA, this) == CURLE_OK &&
           curl_easy_setopt(handle, CURLOPT_VERBOSE, 1L) == CURLE_OK;
}

int TransferReport::OnDebug(CURL*, curl_infotype type, char* data, std::size_t size, void* self) {
    // SMTP and FTP replies arrive as incoming header data.
    if (type == CURLINFO_HEADER_IN)
        static_cast<TransferReport*>(self)->Heard(std::string_view(data, size));
    return 0;
}

void TransferReport::Heard(std::string_view text) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.remove_suffix(1);
        const bool code = line.size() >= 3 && (line[0] == '4' || line[0] == '5') &&
                          line[1] >= '0' && line[1] <= '9' && line[2] >= '0' && line[2] <= '9';
        if (code)
            errorReply_.assign(line.substr(0, 300));
    }
}

std::string TransferReport::Describe(TransferStatus status) const {
    std::string text = DescribeTransferStatus(status);
    if (!errorReply_.empty())
        return text + ": the server answered \"" + errorReply_ + "\"";
    if (errorBuffer_[0] != '\0')
        return text + ": " + errorBuffer_;
    return text;
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
