#include "web/web_app_p.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <fstream>
#include <sstream>

#include "app/core/main_dialog.h"
#include "app/core/main_lists.h"
#include "app/core/message_actions.h"
#include "app/status/program_status.h"
#include "audio/mp3/mp3_encoder.h"
#include "audio/pcm16_samples.h"
#include "engine/ivr_notify.h"
#include "engine/mailbox_files.h"
#include "platform/diagnostics/diagnostics.h"
#include "platform/files/path_names.h"
#include "platform/text/ascii_text.h"
#include "platform/time/clock.h"
#include "store/call_log.h"
#include "web/password_hash.h"
#include "web/sign_in_limit.h"
#include "web/web_pages_p.h"

namespace orvia {
namespace {

constexpr const char* kSessionCookie = "orvia-session";
constexpr const char* kSignInCookie = "orvia-signin";
constexpr int64_t kSignInFormSeconds = 3600;
constexpr std::size_t kAudioCacheEntries = 4;
constexpr int kLogDays = 7;
constexpr int64_t kSecondsPerDay = 86400;
constexpr const char* kWrongSignIn =
    "Wrong user name or password, or too many wrong tries: wait a while and try again.";

int64_t MonotonicSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::vector<std::string> Segments(const std::string& path) {
    std::vector<std::string> segments;
    std::size_t start = 1;
    if (path.empty() || path[0] != '/')
        return {"\x01"};  // matches no route
    while (start <= path.size()) {
        std::size_t slash = path.find('/', start);
        if (slash == std::string::npos)
            slash = path.size();
        segments.push_back(path.substr(start, slash - start));
        start = slash + 1;
    }
    if (segments.size() == 1 && segments[0].empty())
        segments.clear();  // "/"
    return segments;
}

WebResponse Redirect(const std::string& to) {
    WebResponse response;
    response.status = 303;
    response.headers.emplace_back("Location", to);
    return response;
}

WebResponse Page(int status, std::string html) {
    WebResponse response;
    response.status = status;
    response.body = std::move(html);
    return response;
}

bool IsMessageNumber(const std::string& text) {
    return IsAsciiDigits(text) && text.size() <= 10;
}

std::string FileKey(const std::string& path, const std::string& kind) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return "";
    return kind + "\n" + path + "\n" + std::to_string(st.st_size) + "\n" +
           std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec);
}

// The entries of a daily log: its lines after the header, "HH-MM-SS text".
std::vector<std::pair<std::string, std::string>> ReadLogEntries(const std::string& path) {
    std::vector<std::pair<std::string, std::string>> entries;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return entries;
    std::ostringstream all;
    all << in.rdbuf();
    const std::string text = all.str();
    std::size_t start = 0;
    int line = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        const std::string entry = text.substr(start, end - start);
        start = end + 2;
        if (++line <= 3 || entry.size() < 9 || entry[2] != '-' || entry[5] != '-')
            continue;  // the header, or not an entry
        std::string time = entry.substr(0, 8);
        std::replace(time.begin(), time.end(), '-', ':');
        entries.emplace_back(time, entry.substr(9));
    }
    return entries;
}

// "attachment" with the message's file name as MP3, in the RFC 5987 form
// (any name a mailbox may have survives it) and a plain fallback.
std::string DownloadDisposition(const std::string& messageIni) {
    std::string encoded;
    for (const char c : FileStemOf(messageIni) + ".mp3") {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u) != 0 || c == '.' || c == '-' || c == '_') {
            encoded += c;
        } else {
            static const char kHex[] = "0123456789ABCDEF";
            encoded += '%';
            encoded += kHex[u >> 4];
            encoded += kHex[u & 15];
        }
    }
    return "attachment; filename=\"message.mp3\"; filename*=UTF-8''" + encoded;
}

// A mailbox the web view shows and that exists. File reads only: any thread.
bool IsShownMailbox(const WebSettings& settings, const std::string& mailbox) {
    if (!WebShowsMailbox(settings, mailbox))
        return false;
    const std::vector<std::string> names = MailboxNames();
    return std::find(names.begin(), names.end(), mailbox) != names.end();
}

}  // namespace

std::string MailboxWebId(const std::string& name) {
    static const char kHex[] = "0123456789abcdef";
    std::string id;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        id += kHex[u >> 4];
        id += kHex[u & 15];
    }
    return id;
}

std::optional<std::string> MailboxOfWebId(const std::string& id) {
    // One spelling per mailbox: lower-case digits only.
    if (id.empty() || id.size() % 2 != 0 || id.size() > 512 || AsciiLower(id) != id)
        return std::nullopt;
    std::string name;
    for (std::size_t i = 0; i < id.size(); i += 2) {
        const int high = HexValue(id[i]);
        const int low = HexValue(id[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        name += static_cast<char>(high * 16 + low);
    }
    return name;
}

WebApp::WebApp(Dispatcher& dispatcher, MainDialog& app, bool https)
    : calls_(dispatcher, app), https_(https) {}

std::string WebApp::CookieName(const char* base) const {
    // "__Host-" binds the cookie to this host and to HTTPS in the browser.
    return https_ ? std::string("__Host-") + base : std::string(base);
}

std::string WebApp::Cookie(const char* base, const std::string& value, int64_t maxAge) const {
    return CookieName(base) + "=" + value + "; Path=/; Max-Age=" + std::to_string(maxAge) +
           "; HttpOnly; SameSite=Strict" + (https_ ? "; Secure" : "");
}

std::optional<WebSession> WebApp::CurrentSession(const WebRequest& request,
                                                 const WebSettings& settings) {
    const auto cookie = request.cookies.find(CookieName(kSessionCookie));
    if (cookie == request.cookies.end())
        return std::nullopt;
    std::optional<WebSession> session = sessions_.Find(cookie->second, MonotonicSeconds());
    if (!session)
        return std::nullopt;
    // A new password or user ends the sessions opened before it.
    if (session->user != settings.user || session->passwordHash != settings.passwordHash) {
        sessions_.Close(session->token);
        return std::nullopt;
    }
    return session;
}

WebResponse WebApp::Handle(const WebRequest& request) {
    const bool get = request.method == "GET" || request.method == "HEAD";
    const bool post = request.method == "POST";
    if (!get && !post) {
        WebResponse response = Page(405, NoticePage("Not allowed", "Only GET and POST.", false));
        response.headers.emplace_back("Allow", "GET, HEAD, POST");
        return response;
    }
    if (request.bodyTooLarge)
        return Page(413, NoticePage("Too large", "The form sent was too large.", false));
    const std::vector<std::string> path = Segments(request.path);
    if (get && path == std::vector<std::string>{"style.css"}) {
        WebResponse response;
        response.contentType = "text/css; charset=utf-8";
        response.body = StyleSheet();
        return response;
    }
    if (get && path == std::vector<std::string>{"app.js"}) {
        WebResponse response;
        response.contentType = "text/javascript; charset=utf-8";
        response.body = PageScript();
        return response;
    }
    const WebSettings settings = ReadWebSettings();
    const std::optional<WebSession> session = CurrentSession(request, settings);
    if (path == std::vector<std::string>{"signin"}) {
        // Signed in already (in another tab): that session goes on, so the
        // forms the other tabs show stay good.
        if (session)
            return Redirect("/");
        return post ? SignIn(request, settings) : SignInForm(request, 200, "", "");
    }
    if (!session) {
        if (post)
            return Page(403, NoticePage("Signed out", "Sign in again, then repeat this.", false));
        return Redirect("/signin");
    }
    if (post) {
        const auto token = request.form.find("csrf");
        if (token == request.form.end() || !SameSecret(token->second, session->csrf))
            return Page(403, NoticePage("Refused",
                                        "This form is out of date or did not come from this "
                                        "page: reload the page and try again.",
                                        true));
    }
    if (post && path == std::vector<std::string>{"signout"})
        return SignOut(*session);
    if (get && path.empty())
        return Mailboxes(*session, settings);
    if (get && path == std::vector<std::string>{"lines"})
        return Lines(*session);
    if (get && path == std::vector<std::string>{"logs"})
        return Logs(*session);
    if (path.size() >= 2 && path[0] == "mailbox") {
        const std::string& id = path[1];
        if (get && path.size() == 2)
            return Mailbox(*session, settings, id);
        if (get && path.size() == 3) {
            const std::string& file = path[2];
            const std::size_t dot = file.find('.');
            if (dot != std::string::npos) {
                const std::string kind = file.substr(dot + 1);
                if (kind == "mp3" || kind == "wav")
                    return MessageAudio(request, settings, id, file.substr(0, dot), kind);
            }
        }
        if (path.size() == 4) {
            const std::string& action = path[3];
            if (get && action == "download")
                return MessageAudio(request, settings, id, path[2], "download");
            if (post && (action == "read" || action == "delete"))
                return MessageAction(settings, id, path[2], action);
        }
    }
    return NotFound(true);
}

// The sign-in token the browser already holds, when it is one this view
// made (32 hex digits), else a new one. Keeping it means every sign-in page a
// browser is shown carries the same token: a reload, a second tab, or the
// browser's own icon request redirected to /signin then never makes the form
// already on screen stale.
std::string WebApp::SignInToken(const WebRequest& request) const {
    const auto cookie = request.cookies.find(CookieName(kSignInCookie));
    if (cookie != request.cookies.end() && cookie->second.size() == 32 &&
        cookie->second.find_first_not_of("0123456789abcdef") == std::string::npos)
        return cookie->second;
    return RandomHex(16);
}

WebResponse WebApp::SignInForm(const WebRequest& request, int status, const std::string& problem,
                               const std::string& user) {
    const std::string token = SignInToken(request);
    WebResponse response = Page(status, SignInPage(token, problem, user));
    response.headers.emplace_back("Set-Cookie", Cookie(kSignInCookie, token, kSignInFormSeconds));
    return response;
}

WebResponse WebApp::SignIn(const WebRequest& request, const WebSettings& settings) {
    const auto field = [&](const char* name) {
        const auto it = request.form.find(name);
        return it == request.form.end() ? std::string() : it->second;
    };
    const auto cookie = request.cookies.find(CookieName(kSignInCookie));
    const std::string formToken = cookie == request.cookies.end() ? "" : cookie->second;
    const std::string user = field("user");
    if (!SameSecret(field("csrf"), formToken))
        return SignInForm(request, 403, "The sign-in form had expired: sign in again.", user);
    const std::string client = request.client;
    // Reading the limit's record is file work only: it is done here, off the
    // main thread, which is asked only to note a refusal.
    const bool locked = SignInLocked(LocalNow());
    // The hash is checked even for a wrong user name, so the answer takes
    // as long either way.
    const bool passwordOk = !locked && VerifyPassword(settings.passwordHash, field("password"));
    const bool ok = passwordOk && SameSecret(user, settings.user);
    if (!ok) {
        const bool whileLocked = locked;
        calls_.Call<bool>([user, client, whileLocked, settings](MainDialog&) {
            return NoteRefusedSignIn(user, client, whileLocked, settings, LocalNow());
        });
        return SignInForm(request, 403, kWrongSignIn, user);
    }
    const WebSession session = sessions_.Open(settings.user, settings.passwordHash,
                                              MonotonicSeconds(), settings.sessionMinutes * 60);
    ReportInfo("web", "\"" + settings.user + "\" signed in from " + client);
    // The sign-in token stays with the browser: a second tab's form, or a
    // second press of the button before the first answer arrived, carries it
    // too and must sign in as well.
    WebResponse response = Redirect("/");
    response.headers.emplace_back(
        "Set-Cookie", Cookie(kSessionCookie, session.token, int64_t{settings.sessionMinutes} * 60));
    return response;
}

WebResponse WebApp::SignOut(const WebSession& session) {
    sessions_.Close(session.token);
    WebResponse response = Redirect("/signin");
    response.headers.emplace_back("Set-Cookie", Cookie(kSessionCookie, "", 0));
    return response;
}

WebResponse WebApp::Mailboxes(const WebSession& session, const WebSettings& settings) {
    // The lists are read from the files here, off the main thread.
    std::vector<MailboxRow> rows;
    for (const std::string& name : MailboxNames()) {
        if (!WebShowsMailbox(settings, name))
            continue;
        MailboxRow row{MailboxWebId(name), name, 0, 0};
        for (const MessageItem& item : MessageItems(name)) {
            ++row.total;
            row.unread += item.read ? 0 : 1;
        }
        rows.push_back(std::move(row));
    }
    return Page(200,
                SignedInPage({"Mailboxes", session.csrf, "mailboxes"}, MailboxesContent(rows)));
}

WebResponse WebApp::Mailbox(const WebSession& session, const WebSettings& settings,
                            const std::string& id) {
    const std::optional<std::string> name = MailboxOfWebId(id);
    if (!name)
        return NotFound(true);
    const std::string& mailbox = *name;
    if (!IsShownMailbox(settings, mailbox))
        return NotFound(true);
    MailboxRow row{id, mailbox, 0, 0};
    std::vector<MessageRow> rows;
    for (const MessageItem& item : MessageItems(mailbox)) {
        MessageRow message;
        message.number = item.number;
        message.when = item.when;
        message.callerId = item.callerId;
        message.callerName = item.callerName;
        message.read = item.read;
        // Files only: the lengths are read here, off the main thread.
        message.seconds = RecordingLengthTicks(MessageAudioPath(item.messageIni)) / 10000;
        ++row.total;
        row.unread += item.read ? 0 : 1;
        rows.push_back(std::move(message));
    }
    return Page(200, SignedInPage({mailbox, session.csrf, "mailboxes"},
                                  MessagesContent(row, rows, session.csrf, "")));
}

std::optional<WebResponse> WebApp::FindMessage(const WebSettings& settings, const std::string& id,
                                               const std::string& number, std::string* messageIni) {
    const std::optional<std::string> name = MailboxOfWebId(id);
    if (!name || !IsMessageNumber(number))
        return NotFound(true);
    if (!IsShownMailbox(settings, *name))
        return NotFound(true);
    std::string found;
    for (const MessageItem& item : MessageItems(*name)) {
        if (item.number == number)
            found = item.messageIni;
    }
    if (found.empty())
        return NotFound(true);
    *messageIni = found;
    return std::nullopt;
}

std::shared_ptr<const std::string> WebApp::EncodedAudio(const std::string& audioPath,
                                                        const std::string& kind) {
    const std::string key = FileKey(audioPath, kind);
    if (key.empty())
        return nullptr;
    {
        const std::lock_guard<std::mutex> guard(audioMutex_);
        for (const Audio& audio : audio_) {
            if (audio.key == key)
                return audio.data;
        }
    }
    std::optional<std::string> data;
    if (kind == "mp3") {
        data = EncodeWaveFileAsMp3(audioPath);
    } else {
        const std::optional<Pcm16Audio> pcm =
            ReadPcm16File(audioPath, 1, kMp3MessageRate, kMp3MaxSeconds);
        if (pcm)
            data = Pcm16WaveImage(*pcm);
    }
    if (!data)
        return nullptr;
    auto shared = std::make_shared<const std::string>(std::move(*data));
    const std::lock_guard<std::mutex> guard(audioMutex_);
    audio_.push_back({key, shared});
    if (audio_.size() > kAudioCacheEntries)
        audio_.erase(audio_.begin());
    return shared;
}

WebResponse WebApp::MessageAudio(const WebRequest& request, const WebSettings& settings,
                                 const std::string& id, const std::string& number,
                                 const std::string& kind) {
    std::string messageIni;
    if (std::optional<WebResponse> refused = FindMessage(settings, id, number, &messageIni))
        return *refused;
    // The stored recording is only read: MP3 or 16-bit PCM is made from it.
    const std::string audioPath = MessageAudioPath(messageIni);
    const std::shared_ptr<const std::string> data =
        EncodedAudio(audioPath, kind == "wav" ? "wav" : "mp3");
    if (!data) {
        ReportWarning("web", "the recording " + audioPath + " could not be read for the browser");
        return Page(404, NoticePage("Not readable", "The recording cannot be read.", true));
    }
    WebResponse response;
    if (kind == "download")
        response.headers.emplace_back("Content-Disposition", DownloadDisposition(messageIni));
    ServeBytes(request, kind == "wav" ? "audio/wav" : "audio/mpeg", *data, response);
    return response;
}

WebResponse WebApp::MessageAction(const WebSettings& settings, const std::string& id,
                                  const std::string& number, const std::string& action) {
    std::string messageIni;
    if (std::optional<WebResponse> refused = FindMessage(settings, id, number, &messageIni))
        return *refused;
    const std::string ini = messageIni;
    const bool remove = action == "delete";
    // The main window's own functions, then the notice its list follows.
    const std::optional<bool> done = calls_.Call<bool>([ini, remove](MainDialog& app) {
        std::string notice = ini;
        if (remove) {
            if (!DeleteMessage(ini))
                return false;
            app.Send(kMsgMessageDeleted, notice);
            return true;
        }
        if (!MarkMessageRead(ini))
            return false;
        app.Send(kMsgMessageHeard, notice);
        return true;
    });
    if (!done)
        return Busy();
    if (!*done)
        return Page(500, NoticePage("Not done",
                                    remove ? "The message could not be deleted."
                                           : "The message could not be marked as read.",
                                    true));
    return Redirect("/mailbox/" + id + (remove ? "" : "#m" + number));
}

WebResponse WebApp::Lines(const WebSession& session) {
    const std::optional<ProgramStatus> status =
        calls_.Call<ProgramStatus>([](MainDialog& app) { return app.Status(); });
    if (!status)
        return Busy();
    LinesView view;
    for (const LineStatus& line : status->lines) {
        LineRow row;
        row.name = line.name;
        row.device =
            line.deviceName.empty() ? "device " + std::to_string(line.device) : line.deviceName;
        if (!line.deviceStatus.address.empty())
            row.device += " at " + line.deviceStatus.address;
        row.phase = LinePhaseName(line.phase);
        row.state = FormatLineState(line);
        view.lines.push_back(std::move(row));
    }
    view.delivery = FormatDeliveryQueue(status->delivery);
    view.lastFailure = status->lastDeliveryFailure;
    view.levelControl = FormatLevelControl(status->levelControlWaiting);
    return Page(200, SignedInPage({"Lines", session.csrf, "lines"}, LinesContent(view)));
}

WebResponse WebApp::Logs(const WebSession& session) {
    // The log files are only read, as the call log viewer does.
    std::vector<LogDay> days;
    const int64_t now = LocalNow();
    for (int back = 0; back < kLogDays; ++back) {
        const int64_t when = now - back * kSecondsPerDay;
        LogDay day;
        day.day = when - when % kSecondsPerDay;
        day.entries = ReadLogEntries(DailyLogPath(when));
        if (!day.entries.empty())
            days.push_back(std::move(day));
    }
    return Page(200,
                SignedInPage({"Call logs", session.csrf, "logs"}, LogsContent(days, kLogDays)));
}

WebResponse WebApp::Busy() {
    WebResponse response =
        Page(503, NoticePage("Busy", "Orvia is busy or stopping: try again in a moment.", true));
    response.headers.emplace_back("Retry-After", "5");
    return response;
}

WebResponse WebApp::NotFound(bool signedIn) {
    return Page(404, NoticePage("Not found", "There is nothing here.", signedIn));
}

}  // namespace orvia
