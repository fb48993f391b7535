#include "web_fixture.h"

#include <curl/curl.h>

#include <chrono>
#include <future>
#include <regex>
#include <sstream>

#include "audio/codec/standard_formats.h"
#include "audio/file_conversion.h"
#include "audio/wave_source.h"
#include "platform/text/ascii_text.h"
#include "platform/time/clock.h"
#include "store/encodings.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"
#include "test_recording.h"
#include "web/password_hash.h"

namespace orvia::test {
namespace {

constexpr int kFetchBoundMs = 60000;

size_t Collect(char* data, size_t size, size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

size_t CollectHeader(char* data, size_t size, size_t count, void* target) {
    auto* reply = static_cast<HttpReply*>(target);
    const std::string line(data, size * count);
    const std::size_t colon = line.find(':');
    if (colon != std::string::npos) {
        std::string value(TrimBlanks(std::string_view(line).substr(colon + 1)));
        while (!value.empty() && (value.back() == '\r' || value.back() == '\n'))
            value.pop_back();
        reply->headers.emplace_back(AsciiLower(line.substr(0, colon)), value);
    }
    return size * count;
}

std::string Escape(CURL* curl, const std::string& text) {
    char* escaped = curl_easy_escape(curl, text.c_str(), static_cast<int>(text.size()));
    std::string out = escaped != nullptr ? escaped : "";
    curl_free(escaped);
    return out;
}

HttpReply Perform(const std::string& url, const HttpCall& call, const std::string& caFile) {
    HttpReply reply;
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        reply.error = "curl_easy_init failed";
        return reply;
    }
    std::string cookies;
    for (const auto& [name, value] : call.cookies)
        cookies += (cookies.empty() ? "" : "; ") + name + "=" + value;
    std::string body;
    for (const auto& [name, value] : call.form)
        body += (body.empty() ? "" : "&") + Escape(curl, name) + "=" + Escape(curl, value);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(kFetchBoundMs));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply.body);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &CollectHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &reply);
    if (!cookies.empty())
        curl_easy_setopt(curl, CURLOPT_COOKIE, cookies.c_str());
    if (!call.range.empty())
        curl_easy_setopt(curl, CURLOPT_RANGE, call.range.c_str());
    if (call.method == "POST") {
        curl_easy_setopt(curl, CURLOPT_POST, 1L);
        curl_easy_setopt(curl, CURLOPT_COPYPOSTFIELDS, body.c_str());
    } else if (call.method != "GET") {
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, call.method.c_str());
    }
    if (!caFile.empty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.c_str());
    const CURLcode code = curl_easy_perform(curl);
    if (code != CURLE_OK)
        reply.error = curl_easy_strerror(code);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply.status);
    curl_easy_cleanup(curl);
    return reply;
}

}  // namespace

std::string CsrfOf(const std::string& html) {
    static const std::regex token("name=\"csrf\" value=\"([0-9a-f]+)\"");
    std::smatch match;
    return std::regex_search(html, match, token) ? match[1].str() : "";
}

std::string HttpReply::Header(const std::string& lowerName) const {
    for (const auto& [name, value] : headers) {
        if (name == lowerName)
            return value;
    }
    return "";
}

std::vector<std::string> HttpReply::Headers(const std::string& lowerName) const {
    std::vector<std::string> values;
    for (const auto& [name, value] : headers) {
        if (name == lowerName)
            values.push_back(value);
    }
    return values;
}

std::string HttpReply::SetCookie(const std::string& name) const {
    for (const std::string& cookie : Headers("set-cookie")) {
        if (cookie.rfind(name + "=", 0) == 0)
            return cookie;
    }
    return "";
}

std::string HttpReply::Cookie(const std::string& name) const {
    const std::string cookie = SetCookie(name);
    return cookie.empty() ? "" : cookie.substr(name.size() + 1, cookie.find(';') - name.size() - 1);
}

void WebViewTest::SetUp() {
    SetStore(SettingsStore::ForDataFolder(data_.Path() + "data"));
    ASSERT_TRUE(Store().CreateFolders());
    app_ = std::make_unique<MainDialog>(
        MainDialog::Parts{dispatcher_, view_, lines_, playback_, nullptr}, true);
    app_->Create();
}

void WebViewTest::TearDown() {
    web_.reset();
    app_.reset();
}

void WebViewTest::StartWeb(const std::vector<std::pair<std::string, std::string>>& extra) {
    static const std::string hash = *HashPassword(kPassword);
    std::vector<ProfileKeyEdit> keys = {
        {"enabled", "true"}, {"listen", "127.0.0.1:0"}, {"user", kUser}, {"passwordhash", hash}};
    for (const auto& [key, value] : extra)
        keys.push_back({key, value});
    ASSERT_TRUE(WriteProfileKeys(Store().SettingsFile(), "web", keys));
    std::ostringstream out;
    web_ = WebView::Start(dispatcher_, *app_, out);
    ASSERT_TRUE(web_) << out.str();
    const std::string url = web_->Url();
    base_ = url.substr(0, url.size() - 1);
}

HttpReply WebViewTest::Fetch(const HttpCall& call) {
    const std::string url = base_ + call.path;
    const std::string caFile = caFile_;
    std::future<HttpReply> reply =
        std::async(std::launch::async, [url, call, caFile] { return Perform(url, call, caFile); });
    const bool done = dispatcher_.RunUntil(
        [&] { return reply.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
        kFetchBoundMs + 5000);
    EXPECT_TRUE(done) << call.method << " " << call.path << " did not end";
    return reply.get();
}

HttpReply WebViewTest::SignIn(const std::string& user, const std::string& password) {
    const std::string cookieName = caFile_.empty() ? "orvia-signin" : "__Host-orvia-signin";
    const std::string sessionName = caFile_.empty() ? "orvia-session" : "__Host-orvia-session";
    const HttpReply form = Fetch({"GET", "/signin", {}, {}, ""});
    EXPECT_EQ(form.status, 200) << form.error;
    const std::string token = form.Cookie(cookieName);
    EXPECT_FALSE(token.empty());
    EXPECT_EQ(CsrfOf(form.body), token);
    const HttpReply reply = Fetch({"POST",
                                   "/signin",
                                   {{"user", user}, {"password", password}, {"csrf", token}},
                                   {{cookieName, token}},
                                   ""});
    session_.clear();
    csrf_.clear();
    if (const std::string session = reply.Cookie(sessionName); !session.empty()) {
        session_[sessionName] = session;
        csrf_ = CsrfOf(Get("/").body);
    }
    return reply;
}

std::string WebViewTest::Mailbox(const std::string& name) {
    const std::string mbx = Store().MailBoxes() + name + ".mbx";
    EXPECT_TRUE(WriteProfileInt(mbx, "mbx", "msgno", 0));
    return mbx;
}

std::string WebViewTest::Message(const std::string& mailbox, int number, double seconds, bool gsm,
                                 const std::string& cid, const std::string& name, bool read) {
    char digits[16];
    std::snprintf(digits, sizeof digits, " ICM%.6d", number);
    const std::string base = Store().MailBoxes() + mailbox + digits;
    EXPECT_TRUE(WriteTone(base + ".wav", static_cast<int32_t>(seconds * 8000)));
    if (gsm) {
        EXPECT_TRUE(
            WriteConvertedFile(OpenWaveSource(base + ".wav"), Gsm610Format(8000), base + ".wav"));
    }
    const std::string ini = base + ".ini";
    EXPECT_TRUE(
        WriteProfileKeys(ini, "message",
                         {{"read", read ? "true" : "false"},
                          {"datetime", FormatDateTime(MakeLocalSeconds({2024, 1, 15, 10, 0, 7}))},
                          {"cid", cid},
                          {"cidname", name}}));
    return ini;
}

}  // namespace orvia::test
