// The web view against a real HTTP client: sign-in, cookies, form tokens,
// addressing by id, the desktop list following the browser, the audio, HTTPS.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "app/status/program_status.h"
#include "audio/mp3/mp3_source.h"
#include "audio/wave_source.h"
#include "diagnostics_capture.h"
#include "platform/process/process_child.h"
#include "platform/time/clock.h"
#include "store/call_log.h"
#include "store/profile.h"
#include "store/settings_store.h"
#include "web/web_app_p.h"
#include "web/web_view.h"
#include "web_fixture.h"

namespace orvia::test {
namespace {

struct ToolRun {
    int status = -1;
    std::string output;
};

// Runs a tool to its end (a bound against a hang, not a speed check).
ToolRun RunProcess(const std::vector<std::string>& args, int boundMs) {
    ToolRun run;
    ChildProcess child;
    if (child.Start(args) != ProcessStartResult::Started)
        return run;
    run.output = child.ReadOutput(1 << 20, boundMs).data;
    if (!child.WaitForExit(boundMs, &run.status))
        run.status = -1;
    return run;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The length in seconds of an audio file the pipeline reads to its end.
double DecodedSeconds(const LSoundSource& source) {
    std::vector<int32_t> block(static_cast<std::size_t>(kMaxBlockFrames) * source->channels);
    while (source->GetPosition() < source->GetLength())
        source->Read(block.data(), kMaxBlockFrames);
    return static_cast<double>(source->GetLength()) / source->sampleRate;
}

TEST_F(WebViewTest, SignInIsRefusedAndAcceptedWithStrictCookiesAndLimited) {
    Mailbox("Sales");
    LineStatus line;
    line.name = "Line 1";
    line.deviceName = "Front desk";
    line.open = true;
    line.phase = LinePhase::Connected;
    line.since = MakeLocalSeconds({2024, 1, 15, 10, 0, 7});
    line.callerNumber = "5551234";
    lines_.lines.push_back(line);
    StartWeb({{"wrongsigninsperhour", "3"}});

    // Nothing but the sign-in page (and its style and script) without a session.
    for (const char* path : {"/", "/lines", "/logs", "/mailbox/53616c6573"}) {
        const HttpReply reply = Get(path);
        EXPECT_EQ(reply.status, 303) << path;
        EXPECT_EQ(reply.Header("location"), "/signin") << path;
    }
    EXPECT_EQ(Get("/style.css").status, 200);

    DiagnosticsCapture events;
    HttpReply reply = SignIn(kUser, "wrong horse");
    EXPECT_EQ(reply.status, 403);
    EXPECT_TRUE(session_.empty());
    EXPECT_TRUE(Contains(reply.body, "Wrong user name or password"));
    reply = SignIn("admin", kPassword);
    EXPECT_EQ(reply.status, 403);
    const std::string log = ReadFile(DailyLogPath(LocalNow()));
    EXPECT_TRUE(Contains(log, "Web 127.0.0.1 [Wrong Sign-in] owner")) << log;
    EXPECT_TRUE(Contains(log, "Web 127.0.0.1 [Wrong Sign-in] admin")) << log;
    EXPECT_TRUE(events.Has(DiagnosticLevel::Warning, "web",
                           {"sign-in as \"admin\" from 127.0.0.1 refused"}))
        << events.AllText();
    EXPECT_FALSE(Contains(events.AllText(), "wrong horse"));
    EXPECT_FALSE(Contains(events.AllText(), kPassword));

    // A form without its token is refused before the password is looked at.
    reply = Fetch({"POST", "/signin", {{"user", kUser}, {"password", kPassword}}, {}, ""});
    EXPECT_EQ(reply.status, 403);
    EXPECT_TRUE(reply.Cookie("orvia-session").empty());

    // The form on screen stays good while the browser fetches more pages
    // without a session: its icon (redirected to /signin), a reload, a
    // second tab. A token it did not get from us is replaced.
    const HttpReply form = Fetch({"GET", "/signin", {}, {}, ""});
    const std::string token = form.Cookie("orvia-signin");
    ASSERT_EQ(CsrfOf(form.body), token);
    const std::map<std::string, std::string> held = {{"orvia-signin", token}};
    EXPECT_EQ(Fetch({"GET", "/favicon.ico", {}, held, ""}).Header("location"), "/signin");
    const HttpReply again = Fetch({"GET", "/signin", {}, held, ""});
    EXPECT_EQ(again.Cookie("orvia-signin"), token);
    EXPECT_EQ(CsrfOf(again.body), token);
    for (const char* forged :
         {"0123", "ZZ0123456789abcdef0123456789abcd", "x\r\nSet-Cookie: a=b"}) {
        const HttpReply fresh = Fetch({"GET", "/signin", {}, {{"orvia-signin", forged}}, ""});
        EXPECT_EQ(fresh.Cookie("orvia-signin").size(), 32u) << forged;
        EXPECT_NE(CsrfOf(fresh.body), forged);
    }

    // Two tabs show the sign-in form with the same token. The second signs
    // in after the first has, into the same session, so that the first
    // tab's forms stay good; without the session (a second press of the
    // button whose first answer the browser dropped) it signs in anew.
    std::map<std::string, std::string> browser = held;
    const auto signInWith = [&] {
        const HttpReply answer = Fetch({"POST",
                                        "/signin",
                                        {{"user", kUser}, {"password", kPassword}, {"csrf", token}},
                                        browser,
                                        ""});
        for (const char* name : {"orvia-signin", "orvia-session"}) {
            if (answer.SetCookie(name).empty())
                continue;
            if (Contains(answer.SetCookie(name), "Max-Age=0"))
                browser.erase(name);  // as the browser does
            else
                browser[name] = answer.Cookie(name);
        }
        return answer;
    };
    EXPECT_EQ(signInWith().status, 303);
    const std::string firstSession = browser["orvia-session"];
    ASSERT_FALSE(firstSession.empty());
    const std::string firstForms = CsrfOf(Fetch({"GET", "/", {}, browser, ""}).body);
    const HttpReply second = signInWith();
    EXPECT_EQ(second.status, 303);
    EXPECT_EQ(second.Header("location"), "/");
    EXPECT_EQ(browser["orvia-session"], firstSession);
    EXPECT_EQ(CsrfOf(Fetch({"GET", "/", {}, browser, ""}).body), firstForms);
    browser.erase("orvia-session");
    EXPECT_EQ(signInWith().status, 303);
    EXPECT_NE(browser["orvia-session"], firstSession);

    reply = SignIn(kUser, kPassword);
    EXPECT_EQ(reply.status, 303);
    EXPECT_EQ(reply.Header("location"), "/");
    const std::string cookie = reply.SetCookie("orvia-session");
    EXPECT_TRUE(Contains(cookie, "; HttpOnly")) << cookie;
    EXPECT_TRUE(Contains(cookie, "; SameSite=Strict")) << cookie;
    EXPECT_TRUE(Contains(cookie, "; Max-Age=3600")) << cookie;
    EXPECT_TRUE(Contains(cookie, "; Path=/")) << cookie;
    EXPECT_FALSE(Contains(cookie, "Secure")) << cookie;  // plain HTTP on loopback
    EXPECT_EQ(session_.begin()->second.size(), 64u);
    reply = Get("/");
    EXPECT_EQ(reply.status, 200);
    EXPECT_TRUE(Contains(reply.body, "Sales"));
    const std::string csp = reply.Header("content-security-policy");
    EXPECT_TRUE(Contains(csp, "default-src 'none'")) << csp;
    EXPECT_TRUE(Contains(csp, "frame-ancestors 'none'")) << csp;
    EXPECT_EQ(reply.Header("x-content-type-options"), "nosniff");
    EXPECT_EQ(reply.Header("x-frame-options"), "DENY");
    EXPECT_EQ(reply.Header("cache-control"), "no-store");
    // The call logs show the day's entries, the refused sign-ins among them;
    // the lines page shows what `orvia status` says of each line.
    reply = Get("/logs");
    EXPECT_EQ(reply.status, 200);
    EXPECT_TRUE(Contains(reply.body, "Web 127.0.0.1 [Wrong Sign-in] admin")) << reply.body;
    reply = Get("/lines");
    EXPECT_EQ(reply.status, 200);
    EXPECT_TRUE(Contains(reply.body, "Front desk")) << reply.body;
    EXPECT_TRUE(Contains(reply.body, FormatLineState(lines_.lines[0]))) << reply.body;

    // The third wrong sign-in within the hour locks sign-in: now even the
    // right password is refused, and the session still works.
    const std::map<std::string, std::string> kept = session_;
    EXPECT_EQ(SignIn(kUser, "third wrong").status, 403);
    EXPECT_EQ(SignIn(kUser, kPassword).status, 403);
    EXPECT_TRUE(Contains(ReadFile(DailyLogPath(LocalNow())), "[Sign-in Locked] owner"));
    session_ = kept;
    EXPECT_EQ(Get("/").status, 200);
    // Deleting the lock ends it; a new password ends the open sessions.
    ASSERT_TRUE(DeleteProfileKey(Store().SettingsFile(), "web", "signinlockeduntil"));
    EXPECT_EQ(SignIn(kUser, kPassword).status, 303);
    ASSERT_TRUE(WriteProfileString(Store().SettingsFile(), "web", "passwordhash",
                                   "$argon2id$v=19$m=65536,t=2,p=1$other"));
    EXPECT_EQ(Get("/").status, 303);
}

TEST_F(WebViewTest, FormsNeedTheirTokenAndTheDesktopListFollowsTheBrowser) {
    Mailbox("Sales");
    const std::string first = Message("Sales", 1, 4.0, false, "5551234", "Jane Doe");
    const std::string second = Message("Sales", 2, 5.0, false);
    StartWeb();
    ASSERT_EQ(SignIn(kUser, kPassword).status, 303);
    const std::string box = "/mailbox/" + MailboxWebId("Sales");

    HttpReply page = Get(box);
    EXPECT_EQ(page.status, 200);
    EXPECT_TRUE(Contains(page.body, "5551234"));
    EXPECT_TRUE(Contains(page.body, "Jane Doe"));
    EXPECT_TRUE(Contains(page.body, "0:04"));
    EXPECT_TRUE(Contains(page.body, "2 messages, 2 new"));

    // Without the token, or with another, nothing happens.
    for (const auto& form : {std::map<std::string, std::string>{},
                             std::map<std::string, std::string>{{"csrf", std::string(64, 'a')}}}) {
        EXPECT_EQ(Post(box + "/000001/delete", form).status, 403);
        EXPECT_EQ(Post(box + "/000001/read", form).status, 403);
        EXPECT_EQ(Post("/signout", form).status, 403);
    }
    EXPECT_TRUE(FileExists(first));
    EXPECT_EQ(ReadProfileString(first, "message", "read", ""), "false");
    EXPECT_TRUE(view_.entries.empty());

    // With it: the main window's own actions and notices.
    HttpReply reply = Post(box + "/000001/read", {{"csrf", csrf_}});
    EXPECT_EQ(reply.status, 303);
    EXPECT_EQ(reply.Header("location"), box + "#m000001");
    EXPECT_EQ(ReadProfileString(first, "message", "read", ""), "true");
    reply = Post(box + "/000002/delete", {{"csrf", csrf_}});
    EXPECT_EQ(reply.status, 303);
    EXPECT_FALSE(FileExists(second));
    EXPECT_FALSE(FileExists(second.substr(0, second.size() - 4) + ".wav"));
    EXPECT_EQ(view_.entries, (std::vector<std::string>{"read " + first, "remove " + second}));
    EXPECT_EQ(ReadProfileString(Store().SettingsFile(), "state", "newmessages", ""), "false");

    // And the reverse: what the desktop deletes is gone from the browser.
    ASSERT_EQ(std::remove(first.substr(0, first.size() - 4).append(".wav").c_str()), 0);
    ASSERT_EQ(std::remove(first.c_str()), 0);
    page = Get(box);
    EXPECT_TRUE(Contains(page.body, "No messages."));
    EXPECT_EQ(Post(box + "/000001/delete", {{"csrf", csrf_}}).status, 404);

    EXPECT_EQ(Post("/signout", {{"csrf", csrf_}}).status, 303);
    EXPECT_EQ(Get(box).status, 303);
}

TEST_F(WebViewTest, OnlyTheOwnersMessagesAreServedAndNeverByPath) {
    Mailbox("Sales");
    Mailbox("Support");
    Mailbox("Private");
    Message("Sales", 1, 4.0, false);
    Message("Support", 7, 4.0, false);
    Message("Private", 1, 4.0, false);
    StartWeb({{"mailboxes", "Sales, Support"}});
    ASSERT_EQ(SignIn(kUser, kPassword).status, 303);
    const std::string sales = "/mailbox/" + MailboxWebId("Sales");
    const std::string privateBox = "/mailbox/" + MailboxWebId("Private");

    EXPECT_EQ(Get(sales).status, 200);
    EXPECT_EQ(Get(sales + "/000001.mp3").status, 200);
    EXPECT_FALSE(Contains(Get("/").body, "Private"));
    const std::string refused[] = {
        privateBox,                                 // a mailbox outside the owner's list
        privateBox + "/000001.mp3",                 // and its message
        sales + "/000007.mp3",                      // another mailbox's message number
        sales + "/000099.wav",                      // a made-up number
        sales + "/1.mp3",                           // not the number's spelling
        sales + "/000001.ini",                      // another file of the message
        "/mailbox/" + MailboxWebId("Nobody"),       // a made-up mailbox
        "/mailbox/53616C6573",                      // not the id's spelling
        "/mailbox/Sales",                           // a name, not an id
        "/mailbox/" + MailboxWebId("../Private"),   // a path in an id
        "/mailbox/" + MailboxWebId("Private.mbx"),  // a file name in an id
        "/mailbox/..%2fPrivate",                    // an escaped path
        sales + "/..%2f..%2fsettings.ini",          // a path as message
        sales + "/000001/..%2f..%2fPrivate%20ICM000001.wav",
        "/settings.ini",
        "/MailBoxes/Sales%20ICM000001.wav",
        "/style.css/x",
    };
    for (const std::string& path : refused) {
        const HttpReply reply = Get(path);
        EXPECT_EQ(reply.status, 404) << path;
        EXPECT_FALSE(Contains(reply.body, "RIFF")) << path;
    }
    for (const std::string& path : {privateBox + "/000001/delete", sales + "/000007/delete"})
        EXPECT_EQ(Post(path, {{"csrf", csrf_}}).status, 404) << path;
    EXPECT_TRUE(FileExists(Store().MailBoxes() + "Private ICM000001.ini"));
    EXPECT_TRUE(FileExists(Store().MailBoxes() + "Support ICM000007.ini"));
    EXPECT_EQ(Fetch({"PUT", sales, {}, session_, ""}).status, 405);
}

TEST_F(WebViewTest, AnyStoredFormatPlaysAsMp3OrPcmAndStaysAsStored) {
    Mailbox("Sales");
    const std::string ini = Message("Sales", 1, 7.5, true);
    const std::string wav = ini.substr(0, ini.size() - 4) + ".wav";
    const std::string stored = ReadFile(wav);
    StartWeb();
    ASSERT_EQ(SignIn(kUser, kPassword).status, 303);
    const std::string message = "/mailbox/" + MailboxWebId("Sales") + "/000001";

    const HttpReply mp3 = Get(message + ".mp3");
    ASSERT_EQ(mp3.status, 200);
    EXPECT_EQ(mp3.Header("content-type"), "audio/mpeg");
    EXPECT_EQ(mp3.Header("accept-ranges"), "bytes");
    ASSERT_TRUE(WriteFile(data_.Path() + "got.mp3", mp3.body));
    const LSoundSource decodedMp3 = OpenMP3Source(data_.Path() + "got.mp3");
    ASSERT_FALSE(IsInvalid(decodedMp3));
    EXPECT_NEAR(DecodedSeconds(decodedMp3), 7.5, 0.3);

    const HttpReply pcm = Get(message + ".wav");
    ASSERT_EQ(pcm.status, 200);
    EXPECT_EQ(pcm.Header("content-type"), "audio/wav");
    ASSERT_TRUE(WriteFile(data_.Path() + "got.wav", pcm.body));
    const LSoundSource decodedPcm = OpenWaveSource(data_.Path() + "got.wav");
    ASSERT_FALSE(IsInvalid(decodedPcm));
    EXPECT_EQ(pcm.body.substr(20, 2), std::string("\x01\x00", 2));  // PCM
    EXPECT_EQ(pcm.body.substr(34, 2), std::string("\x10\x00", 2));  // 16 bits
    EXPECT_NEAR(DecodedSeconds(decodedPcm), 7.5, 0.05);

    // A phone's player asks for ranges.
    const HttpReply part = Fetch({"GET", message + ".mp3", {}, session_, "100-199"});
    EXPECT_EQ(part.status, 206);
    EXPECT_EQ(part.body, mp3.body.substr(100, 100));
    EXPECT_EQ(part.Header("content-range"), "bytes 100-199/" + std::to_string(mp3.body.size()));

    const HttpReply download = Get(message + "/download");
    EXPECT_EQ(download.status, 200);
    EXPECT_EQ(download.body, mp3.body);
    EXPECT_TRUE(Contains(download.Header("content-disposition"), "Sales%20ICM000001.mp3"));

    EXPECT_EQ(ReadFile(wav), stored);
    EXPECT_EQ(ReadProfileString(ini, "message", "read", ""), "false");
}

TEST_F(WebViewTest, HttpsWithACertificateMadeNowAndItsCookiesAreSecure) {
    const std::string cert = data_.Path() + "web.pem";
    const std::string key = data_.Path() + "web.key";
    const ToolRun openssl = RunProcess(
        {"openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
         "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1",
         "-keyout", key, "-out", cert},
        20000);
    ASSERT_EQ(openssl.status, 0) << openssl.output;
    Mailbox("Sales");
    StartWeb({{"tlscert", cert}, {"tlskey", key}});
    EXPECT_EQ(web_->Url().rfind("https://127.0.0.1:", 0), 0u) << web_->Url();
    caFile_ = cert;

    const HttpReply reply = SignIn(kUser, kPassword);
    ASSERT_EQ(reply.status, 303) << reply.error;
    const std::string cookie = reply.SetCookie("__Host-orvia-session");
    EXPECT_TRUE(Contains(cookie, "; Secure")) << cookie;
    EXPECT_TRUE(Contains(cookie, "; HttpOnly")) << cookie;
    EXPECT_TRUE(Contains(cookie, "; SameSite=Strict")) << cookie;
    const HttpReply page = Get("/");
    EXPECT_EQ(page.status, 200);
    EXPECT_TRUE(Contains(page.body, "Sales"));
    EXPECT_TRUE(Contains(page.Header("strict-transport-security"), "max-age="));

    // Plain HTTP gets nowhere, and a client that does not trust the
    // certificate refuses it.
    const std::string https = base_;
    base_ = "http" + https.substr(5);
    EXPECT_NE(Get("/").status, 200);
    base_ = https;
    caFile_ = data_.Path() + "missing.pem";
    EXPECT_FALSE(Get("/").error.empty());
}

TEST_F(WebViewTest, ItRefusesToStartWhereItMustNot) {
    std::ostringstream out;
    // An address another server holds: the reason shown is the system's,
    // with nothing of the library's own option handling in it.
    StartWeb({});
    const std::string held = base_.substr(base_.rfind(':') + 1);
    ASSERT_TRUE(WriteProfileKeys(Store().SettingsFile(), "web", {{"listen", "127.0.0.1:" + held}}));
    EXPECT_FALSE(WebView::Start(dispatcher_, *app_, out));
    EXPECT_TRUE(Contains(out.str(), "Address already in use")) << out.str();
    EXPECT_FALSE(Contains(out.str(), "MHD_")) << out.str();
    web_.reset();

    out.str("");
    ASSERT_TRUE(WriteProfileKeys(Store().SettingsFile(), "web",
                                 {{"enabled", "true"},
                                  {"listen", "0.0.0.0:0"},
                                  {"user", "owner"},
                                  {"passwordhash", "$argon2id$x"}}));
    DiagnosticsCapture events;
    EXPECT_FALSE(WebView::Start(dispatcher_, *app_, out));
    EXPECT_TRUE(Contains(out.str(), "web view does not start")) << out.str();
    EXPECT_TRUE(Contains(out.str(), "without HTTPS")) << out.str();
    EXPECT_TRUE(events.Has(DiagnosticLevel::Error, "web", {"0.0.0.0:0", "without HTTPS"}))
        << events.AllText();

    out.str("");
    ASSERT_TRUE(WriteProfileKeys(
        Store().SettingsFile(), "web",
        {{"tlscert", data_.Path() + "none.pem"}, {"tlskey", data_.Path() + "none.key"}}));
    EXPECT_FALSE(WebView::Start(dispatcher_, *app_, out));
    EXPECT_TRUE(Contains(out.str(), "none.pem cannot be read")) << out.str();

    out.str("");
    ASSERT_TRUE(WriteProfileKeys(Store().SettingsFile(), "web", {{"enabled", "false"}}));
    EXPECT_FALSE(WebView::Start(dispatcher_, *app_, out));
    EXPECT_EQ(out.str(), "");
}

}  // namespace
}  // namespace orvia::test
