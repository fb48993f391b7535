// The web view's pages and actions: routes a request to its page, checks the
// session and the form token, and reaches the application core only through
// MainThreadCalls, with the same functions as the main window
// (app/core/main_lists.h, message_actions.h) and the same notices
// (IVRCNotify 1029 and 1030 through MainDialog), so the desktop list follows
// what the browser does. Mailboxes and messages are addressed by id (the
// mailbox name in hexadecimal, the message's number) and looked up in the
// lists; no path is ever made from a request.
//
// Threads: Handle on the server's request threads; Stop on the main thread.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "web/main_thread_calls.h"
#include "web/web_http_p.h"
#include "web/web_sessions.h"
#include "web/web_settings.h"

namespace orvia {

class Dispatcher;
class MainDialog;

// The mailbox name as a web id (lower-case hexadecimal of its bytes) and back.
std::string MailboxWebId(const std::string& name);
std::optional<std::string> MailboxOfWebId(const std::string& id);

class WebApp {
public:
    WebApp(Dispatcher& dispatcher, MainDialog& app, bool https);

    WebResponse Handle(const WebRequest& request);
    // No request reaches the core after this.
    void Stop() { calls_.Stop(); }

private:
    struct Audio {
        std::string key;
        std::shared_ptr<const std::string> data;
    };

    std::string SignInToken(const WebRequest& request) const;
    WebResponse SignInForm(const WebRequest& request, int status, const std::string& problem,
                           const std::string& user);
    WebResponse SignIn(const WebRequest& request, const WebSettings& settings);
    WebResponse SignOut(const WebSession& session);
    WebResponse Mailboxes(const WebSession& session, const WebSettings& settings);
    WebResponse Mailbox(const WebSession& session, const WebSettings& settings,
                        const std::string& id);
    WebResponse MessageAudio(const WebRequest& request, const WebSettings& settings,
                             const std::string& id, const std::string& number,
                             const std::string& kind);
    WebResponse MessageAction(const WebSettings& settings, const std::string& id,
                              const std::string& number, const std::string& action);
    WebResponse Lines(const WebSession& session);
    WebResponse Logs(const WebSession& session);
    WebResponse Busy();
    WebResponse NotFound(bool signedIn);

    std::optional<WebSession> CurrentSession(const WebRequest& request,
                                             const WebSettings& settings);
    std::string CookieName(const char* base) const;
    std::string Cookie(const char* base, const std::string& value, int64_t maxAge) const;
    // Sets *messageIni when id and number name a message the web view shows
    // (the main thread looks it up in the lists); otherwise the answer to
    // give (not found, busy).
    std::optional<WebResponse> FindMessage(const WebSettings& settings, const std::string& id,
                                           const std::string& number, std::string* messageIni);
    std::shared_ptr<const std::string> EncodedAudio(const std::string& audioPath,
                                                    const std::string& kind);

    MainThreadCalls calls_;
    WebSessions sessions_;
    const bool https_;
    std::mutex audioMutex_;
    std::vector<Audio> audio_;  // the last few encodings, newest last
};

}  // namespace orvia
