#include "web/http_server_p.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace orvia {
namespace {

constexpr std::size_t kMaxBodyBytes = 16 * 1024;
constexpr unsigned kConnectionTimeoutSeconds = 30;
constexpr unsigned kMaxConnections = 64;
constexpr unsigned kMaxConnectionsPerClient = 16;

// What the library says while the daemon starts, for the error text.
thread_local std::string* startLog = nullptr;

void LogLibraryMessage(void*, const char* format, va_list args) {
    if (startLog == nullptr)
        return;
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    std::string line(text);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    if (!startLog->empty())
        *startLog += "; ";
    *startLog += line;
}

// A request being received: its body arrives in pieces.
struct Pending {
    std::string body;
    bool tooLarge = false;
};

MHD_Result AddCookie(void* cls, MHD_ValueKind, const char* key, const char* value) {
    auto* cookies = static_cast<std::map<std::string, std::string>*>(cls);
    if (key != nullptr)
        cookies->emplace(key, value != nullptr ? value : "");
    return MHD_YES;
}

std::string ClientAddress(MHD_Connection* connection) {
    const MHD_ConnectionInfo* info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    if (info == nullptr || info->client_addr == nullptr)
        return "unknown";
    char text[INET6_ADDRSTRLEN] = {};
    const sockaddr* address = info->client_addr;
    if (address->sa_family == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(address);
        ::inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
    } else {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(address);
        ::inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
    }
    return text;
}

MHD_Result Queue(MHD_Connection* connection, const WebResponse& answer, bool https) {
    MHD_Response* response = MHD_create_response_from_buffer(
        answer.body.size(), const_cast<char*>(answer.body.data()), MHD_RESPMEM_MUST_COPY);
    if (response == nullptr)
        return MHD_NO;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, answer.contentType.c_str());
    for (const auto& [name, value] : SecurityHeaders(https))
        MHD_add_response_header(response, name.c_str(), value.c_str());
    for (const auto& [name, value] : answer.headers)
        MHD_add_response_header(response, name.c_str(), value.c_str());
    const MHD_Result queued =
        MHD_queue_response(connection, static_cast<unsigned>(answer.status), response);
    MHD_destroy_response(response);
    return queued;
}

MHD_Result OnRequest(void* cls, MHD_Connection* connection, const char* url, const char* method,
                     const char*, const char* uploadData, size_t* uploadSize, void** state) {
    auto* server = static_cast<HttpServer*>(cls);
    auto* pending = static_cast<Pending*>(*state);
    if (pending == nullptr) {
        *state = new Pending;
        return MHD_YES;
    }
    if (*uploadSize > 0) {
        if (pending->body.size() + *uploadSize > kMaxBodyBytes)
            pending->tooLarge = true;
        else
            pending->body.append(uploadData, *uploadSize);
        *uploadSize = 0;
        return MHD_YES;
    }
    WebRequest request;
    request.method = method != nullptr ? method : "";
    request.path = url != nullptr ? url : "";
    request.client = ClientAddress(connection);
    request.https = server->Https();
    request.bodyTooLarge = pending->tooLarge;
    MHD_get_connection_values(connection, MHD_COOKIE_KIND, AddCookie, &request.cookies);
    if (const char* range = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Range"))
        request.range = range;
    const char* type =
        MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_TYPE);
    if (request.method == "POST" && type != nullptr &&
        std::strncmp(type, "application/x-www-form-urlencoded", 33) == 0)
        request.form = ParseFormBody(pending->body);
    return Queue(connection, server->Dispatch(request), server->Https());
}

void OnCompleted(void*, MHD_Connection*, void** state, MHD_RequestTerminationCode) {
    delete static_cast<Pending*>(*state);
    *state = nullptr;
}

}  // namespace

std::unique_ptr<HttpServer> HttpServer::Start(const WebListenAddress& address,
                                              const std::string& certificatePem,
                                              const std::string& keyPem, Handler handler,
                                              std::string* error) {
    const bool https = !certificatePem.empty();
    if (https && MHD_is_feature_supported(MHD_FEATURE_TLS) != MHD_YES) {
        *error = "this libmicrohttpd has no TLS support";
        return nullptr;
    }
    std::unique_ptr<HttpServer> server(new HttpServer(std::move(handler), https));
    server->certificate_ = certificatePem;
    server->key_ = keyPem;

    sockaddr_storage storage{};
    if (address.ipv6) {
        auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(address.port);
        ::inet_pton(AF_INET6, address.host.c_str(), &v6->sin6_addr);
    } else {
        auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
        v4->sin_family = AF_INET;
        v4->sin_port = htons(address.port);
        ::inet_pton(AF_INET, address.host.c_str(), &v4->sin_addr);
    }
    unsigned flags =
        MHD_USE_AUTO_INTERNAL_THREAD | MHD_USE_THREAD_PER_CONNECTION | MHD_USE_ERROR_LOG;
    if (address.ipv6)
        flags |= MHD_USE_IPv6;
    if (https)
        flags |= MHD_USE_TLS;

    std::string log;
    startLog = &log;
    MHD_OptionItem tls[] = {
        {MHD_OPTION_HTTPS_MEM_KEY, 0, const_cast<char*>(server->key_.c_str())},
        {MHD_OPTION_HTTPS_MEM_CERT, 0, const_cast<char*>(server->certificate_.c_str())},
        {MHD_OPTION_END, 0, nullptr},
    };
    MHD_OptionItem none[] = {{MHD_OPTION_END, 0, nullptr}};
    // The logger comes first: the library reports the options after it
    // through it, and complains (into the reason shown) when it is not first.
    server->daemon_ = MHD_start_daemon(
        flags, address.port, nullptr, nullptr, &OnRequest, server.get(), MHD_OPTION_EXTERNAL_LOGGER,
        &LogLibraryMessage, nullptr, MHD_OPTION_SOCK_ADDR, reinterpret_cast<sockaddr*>(&storage),
        MHD_OPTION_NOTIFY_COMPLETED, &OnCompleted, nullptr, MHD_OPTION_CONNECTION_TIMEOUT,
        kConnectionTimeoutSeconds, MHD_OPTION_CONNECTION_LIMIT, kMaxConnections,
        MHD_OPTION_PER_IP_CONNECTION_LIMIT, kMaxConnectionsPerClient, MHD_OPTION_ARRAY,
        https ? tls : none, MHD_OPTION_END);
    startLog = nullptr;
    if (server->daemon_ == nullptr) {
        *error = log.empty() ? "libmicrohttpd did not start" : log;
        return nullptr;
    }
    const MHD_DaemonInfo* info = MHD_get_daemon_info(server->daemon_, MHD_DAEMON_INFO_BIND_PORT);
    server->port_ = info != nullptr ? info->port : address.port;
    return server;
}

HttpServer::~HttpServer() {
    if (daemon_ != nullptr)
        MHD_stop_daemon(daemon_);
}

}  // namespace orvia
