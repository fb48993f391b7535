// The web view's HTTP server over libmicrohttpd: one listening socket (HTTP,
// or HTTPS through GnuTLS), one thread per connection, every request handed
// whole (form bodies up to 16 KB) to a handler that runs on that thread.
// Every response carries the security headers (web_http_p.h).
//
// Threads: Start and the destructor on one thread (the main thread); the
// handler on the connection threads. The destructor waits for the requests
// in progress.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "web/web_http_p.h"
#include "web/web_settings.h"

struct MHD_Daemon;

namespace orvia {

class HttpServer {
public:
    using Handler = std::function<WebResponse(const WebRequest&)>;

    // With certificatePem and keyPem (both or neither) the server speaks
    // HTTPS only. Null, with the reason in *error, when it cannot listen.
    static std::unique_ptr<HttpServer> Start(const WebListenAddress& address,
                                             const std::string& certificatePem,
                                             const std::string& keyPem, Handler handler,
                                             std::string* error);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // The port it listens on (the one chosen when the address asked for 0).
    uint16_t Port() const { return port_; }
    bool Https() const { return https_; }

    // Called on the connection threads by the library's callbacks.
    WebResponse Dispatch(const WebRequest& request) const { return handler_(request); }

private:
    HttpServer(Handler handler, bool https) : handler_(std::move(handler)), https_(https) {}

    Handler handler_;
    bool https_;
    MHD_Daemon* daemon_ = nullptr;
    uint16_t port_ = 0;
    // The key and certificate must stay while the daemon runs.
    std::string certificate_;
    std::string key_;
};

}  // namespace orvia
