// The web view's settings: the listen address, the refusals before start,
// and the mailboxes it shows.
#include "web/web_settings.h"

#include <gtest/gtest.h>

#include "store/profile.h"
#include "store/settings_store.h"
#include "temp_dir.h"

namespace orvia {
namespace {

TEST(WebListenTest, NumericAddressesParseAndKnowWhetherTheyAreLoopback) {
    struct Case {
        const char* text;
        const char* host;
        int port;
        bool ipv6;
        bool loopback;
    };
    const Case cases[] = {
        {"127.0.0.1:8080", "127.0.0.1", 8080, false, true},
        {"127.8.9.10:1", "127.8.9.10", 1, false, true},
        {"localhost:8443", "127.0.0.1", 8443, false, true},
        {"8080", "127.0.0.1", 8080, false, true},
        {"127.0.0.1:0", "127.0.0.1", 0, false, true},
        {"[::1]:8080", "::1", 8080, true, true},
        {"0.0.0.0:8080", "0.0.0.0", 8080, false, false},
        {"192.168.1.20:80", "192.168.1.20", 80, false, false},
        {"[::]:8080", "::", 8080, true, false},
    };
    for (const Case& c : cases) {
        std::string error;
        const std::optional<WebListenAddress> address = ParseWebListen(c.text, &error);
        ASSERT_TRUE(address) << c.text << ": " << error;
        EXPECT_EQ(address->host, c.host) << c.text;
        EXPECT_EQ(address->port, c.port) << c.text;
        EXPECT_EQ(address->ipv6, c.ipv6) << c.text;
        EXPECT_EQ(address->loopback, c.loopback) << c.text;
    }
    for (const char* bad : {"", "example.com:80", "127.0.0.1:", "127.0.0.1:65536", "[::1]8080",
                            "127.0.0.1:80x", "::1:8080", "127.0.0.1:-1"}) {
        std::string error;
        EXPECT_FALSE(ParseWebListen(bad, &error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

TEST(WebStartProblemTest, OtherComputersReachItOnlyOverHttps) {
    WebSettings settings;
    settings.user = "owner";
    settings.passwordHash = "$argon2id$...";
    EXPECT_EQ(WebStartProblem(settings), "");

    settings.listen = "0.0.0.0:8080";
    const std::string problem = WebStartProblem(settings);
    EXPECT_NE(problem.find("0.0.0.0:8080"), std::string::npos) << problem;
    EXPECT_NE(problem.find("without HTTPS"), std::string::npos) << problem;
    EXPECT_NE(problem.find("tlscert"), std::string::npos) << problem;

    settings.tlsCert = "/etc/orvia/web.pem";
    EXPECT_NE(WebStartProblem(settings).find("both"), std::string::npos);
    settings.tlsKey = "/etc/orvia/web.key";
    EXPECT_EQ(WebStartProblem(settings), "");

    settings.passwordHash.clear();
    EXPECT_NE(WebStartProblem(settings).find("orvia web-password"), std::string::npos);
    settings.passwordHash = "$argon2id$...";
    settings.listen = "somewhere:80";
    EXPECT_NE(WebStartProblem(settings).find("numeric"), std::string::npos);
}

TEST(WebSettingsTest, MissingKeysAreTheDefaultsAndOutOfRangeValuesToo) {
    test::TempDir data;
    SetStore(SettingsStore::ForDataFolder(data.Path()));
    WebSettings settings = ReadWebSettings();
    EXPECT_FALSE(settings.enabled);
    EXPECT_EQ(settings.listen, "127.0.0.1:8080");
    EXPECT_EQ(settings.sessionMinutes, 60);
    EXPECT_TRUE(WebShowsMailbox(settings, "Anything"));

    const std::string& file = Store().SettingsFile();
    ASSERT_TRUE(WriteProfileKeys(file, "web",
                                 {{"enabled", "TRUE"},
                                  {"listen", " [::1]:9000 "},
                                  {"sessionminutes", "0"},
                                  {"wrongsigninsperhour", "50"},
                                  {"mailboxes", "Sales, Sales Dept ,,"}}));
    settings = ReadWebSettings();
    EXPECT_TRUE(settings.enabled);
    EXPECT_EQ(settings.listen, "[::1]:9000");
    EXPECT_EQ(settings.sessionMinutes, 60);
    EXPECT_EQ(settings.wrongSignInsPerHour, 10);
    EXPECT_EQ(settings.mailboxes, (std::vector<std::string>{"Sales", "Sales Dept"}));
    EXPECT_TRUE(WebShowsMailbox(settings, "Sales Dept"));
    EXPECT_FALSE(WebShowsMailbox(settings, "Support"));
    EXPECT_FALSE(WebShowsMailbox(settings, "sales"));
}

}  // namespace
}  // namespace orvia
