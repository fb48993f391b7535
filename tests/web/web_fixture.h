// The web view running in the test process beside an application core
// (MainDialog with a recording view, no lines), driven by the step
// dispatcher on the test's thread while a real HTTP client (libcurl) talks
// to it from another thread.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/core/main_dialog.h"
#include "platform/dispatch/step_dispatcher.h"
#include "temp_dir.h"
#include "web/web_view.h"

namespace orvia::test {

// What the desktop's list is told, in order ("read PATH", "remove PATH").
class ListJournal : public MainWindowView {
public:
    void MarkMessageRead(const std::string& path) override { entries.push_back("read " + path); }
    void RemoveMessage(const std::string& path) override { entries.push_back("remove " + path); }
    std::vector<std::string> entries;
};

class NoLines : public LineBank {
public:
    int SetUp(IVRCNotify*) override { return 0; }
    void Destroy() override {}
    int Count() const override { return 0; }
    ForwardingLine* FirstLine() override { return nullptr; }
    std::vector<LineStatus> Status() const override { return lines; }
    std::vector<LineStatus> lines;
};

class NoPlayback : public DesktopPlayback {
public:
    bool Play(const LSoundSource&, int, int) override { return false; }
    void Stop() override {}
    bool IsPlaying() const override { return false; }
    void SetPlayingChanged(std::function<void(bool)>) override {}
};

struct HttpReply {
    long status = 0;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;  // names in lower case
    std::string error;                                         // the client's, when it failed

    std::string Header(const std::string& lowerName) const;
    std::vector<std::string> Headers(const std::string& lowerName) const;
    // The value a Set-Cookie of the reply gives the cookie.
    std::string Cookie(const std::string& name) const;
    // That Set-Cookie header whole, with its attributes.
    std::string SetCookie(const std::string& name) const;
};

// The form token (the hidden "csrf" field) a page carries.
std::string CsrfOf(const std::string& html);

struct HttpCall {
    std::string method = "GET";
    std::string path = "/";
    std::map<std::string, std::string> form;  // POST body fields
    std::map<std::string, std::string> cookies;
    std::string range;
};

class WebViewTest : public ::testing::Test {
protected:
    static constexpr const char* kUser = "owner";
    static constexpr const char* kPassword = "correct horse";

    void SetUp() override;
    void TearDown() override;

    // Writes the [web] section (enabled, a free loopback port, the user and
    // the password's hash) plus extra keys, then starts the web view.
    void StartWeb(const std::vector<std::pair<std::string, std::string>>& extra = {});
    // Performs a call against the running view while the dispatcher runs.
    HttpReply Fetch(const HttpCall& call);
    HttpReply Get(const std::string& path) { return Fetch({"GET", path, {}, session_, ""}); }
    HttpReply Post(const std::string& path, std::map<std::string, std::string> form) {
        return Fetch({"POST", path, std::move(form), session_, ""});
    }
    // Signs in through the form; the session's cookies are kept for Get
    // and Post, the form token in csrf_.
    HttpReply SignIn(const std::string& user, const std::string& password);

    // A message of seconds of tone (GSM 6.10 when gsm) with its ".ini".
    std::string Message(const std::string& mailbox, int number, double seconds, bool gsm,
                        const std::string& cid = "", const std::string& name = "",
                        bool read = false);
    std::string Mailbox(const std::string& name);

    TempDir data_;
    StepDispatcher dispatcher_;
    ListJournal view_;
    NoLines lines_;
    NoPlayback playback_;
    std::unique_ptr<MainDialog> app_;
    std::unique_ptr<WebView> web_;
    std::string base_;    // "http://127.0.0.1:port"
    std::string caFile_;  // for HTTPS: the certificate the client trusts
    std::map<std::string, std::string> session_;
    std::string csrf_;
};

}  // namespace orvia::test
