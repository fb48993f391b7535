#include "web/web_view.h"

#include <fstream>
#include <optional>
#include <ostream>
#include <sstream>

#include "platform/diagnostics/diagnostics.h"
#include "platform/thread/thread_affinity.h"
#include "web/http_server_p.h"
#include "web/web_app_p.h"
#include "web/web_settings.h"

namespace orvia {
namespace {

constexpr std::size_t kMaxPemBytes = 256 * 1024;

std::optional<std::string> ReadPem(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    const std::string pem = text.str();
    if (pem.empty() || pem.size() > kMaxPemBytes || pem.find("-----BEGIN ") == std::string::npos)
        return std::nullopt;
    return pem;
}

void Refuse(std::ostream& out, const std::string& why) {
    ReportError("web", "the web view does not start: " + why);
    out << "Orvia: the web view does not start: " << why << std::endl;
}

}  // namespace

std::unique_ptr<WebView> WebView::Start(Dispatcher& dispatcher, MainDialog& app,
                                        std::ostream& out) {
    ORVIA_ASSERT_MAIN_THREAD();
    const WebSettings settings = ReadWebSettings();
    if (!settings.enabled)
        return nullptr;
    if (const std::string problem = WebStartProblem(settings); !problem.empty()) {
        Refuse(out, problem);
        return nullptr;
    }
    const std::optional<WebListenAddress> address = ParseWebListen(settings.listen, nullptr);
    std::string certificate;
    std::string key;
    if (settings.Https()) {
        const std::optional<std::string> certPem = ReadPem(settings.tlsCert);
        const std::optional<std::string> keyPem = ReadPem(settings.tlsKey);
        if (!certPem || !keyPem) {
            Refuse(out, "the " +
                            std::string(!certPem ? "certificate [web] tlscert " + settings.tlsCert
                                                 : "key [web] tlskey " + settings.tlsKey) +
                            " cannot be read as a PEM file");
            return nullptr;
        }
        certificate = *certPem;
        key = *keyPem;
    }
    std::unique_ptr<WebView> view(new WebView);
    view->app_ = std::make_unique<WebApp>(dispatcher, app, settings.Https());
    WebApp* pages = view->app_.get();
    std::string error;
    view->server_ = HttpServer::Start(
        *address, certificate, key,
        [pages](const WebRequest& request) { return pages->Handle(request); }, &error);
    if (!view->server_) {
        Refuse(out, "it cannot listen on " + settings.listen + " (" +
                        (settings.Https() ? "HTTPS" : "HTTP") + "): " + error);
        return nullptr;
    }
    const std::string host = address->ipv6 ? "[" + address->host + "]" : address->host;
    view->url_ = std::string(settings.Https() ? "https" : "http") + "://" + host + ":" +
                 std::to_string(view->server_->Port()) + "/";
    ReportInfo("web", "the web view listens on " + view->url_);
    out << "Orvia: web view on " << view->url_ << std::endl;
    return view;
}

WebView::~WebView() {
    ORVIA_ASSERT_MAIN_THREAD();
    // Requests waiting for the main thread give up first (it is busy here),
    // then the server ends its connections.
    if (app_)
        app_->Stop();
    server_.reset();
}

uint16_t WebView::Port() const {
    return server_ ? server_->Port() : 0;
}

std::unique_ptr<ProgramCompanion> StartWebViewCompanion(Dispatcher& dispatcher, MainDialog& app,
                                                        std::ostream& out) {
    return WebView::Start(dispatcher, app, out);
}

}  // namespace orvia
