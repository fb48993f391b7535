// The web view: the messages, mailboxes, lines and call logs in a browser,
// for an Orvia that runs as a service on a computer nobody sits at. Off
// unless section "web" of settings.ini says "enabled=true" (web_settings.h).
//
// It runs beside the application object: its HTTP server answers on threads
// of its own, and everything that touches the application core runs on the
// main thread through the dispatcher (main_thread_calls.h) with the main
// window's own functions and notices, so the desktop list follows what the
// browser does and the browser shows what the files say.
//
// Threads: Start and the destructor on the main thread.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>

#include "app/startup/program.h"

namespace orvia {

class Dispatcher;
class HttpServer;
class MainDialog;
class WebApp;

class WebView : public ProgramCompanion {
public:
    // Starts the web view when its settings switch it on and allow it; says
    // on out where it listens. Null when it is off, or when it cannot or
    // must not start (reported as a program error with the reason: no
    // password, an address other computers reach without HTTPS, an unusable
    // certificate, an address in use).
    static std::unique_ptr<WebView> Start(Dispatcher& dispatcher, MainDialog& app,
                                          std::ostream& out);
    // Stops serving: waiting requests give up at once, running ones end.
    ~WebView() override;

    uint16_t Port() const;
    // "http://127.0.0.1:8080/" or "https://..."
    const std::string& Url() const { return url_; }

private:
    WebView() = default;

    std::unique_ptr<WebApp> app_;
    std::unique_ptr<HttpServer> server_;
    std::string url_;
};

// The starter RunProgram takes (program.h).
std::unique_ptr<ProgramCompanion> StartWebViewCompanion(Dispatcher& dispatcher, MainDialog& app,
                                                        std::ostream& out);

}  // namespace orvia
