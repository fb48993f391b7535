// The password hash and `orvia web-password`.
#include "web/password_hash.h"

#include <gtest/gtest.h>

#include <sstream>

#include "store/profile.h"
#include "store/settings_store.h"
#include "temp_dir.h"
#include "web/web_password_command.h"

namespace orvia {
namespace {

TEST(PasswordHashTest, OnlyThePasswordMatchesAndEachHashHasItsOwnSalt) {
    const std::optional<std::string> hash = HashPassword("correct horse");
    ASSERT_TRUE(hash);
    EXPECT_EQ(hash->rfind("$argon2id$", 0), 0u) << *hash;
    EXPECT_EQ(hash->find("correct"), std::string::npos);
    EXPECT_TRUE(VerifyPassword(*hash, "correct horse"));
    EXPECT_FALSE(VerifyPassword(*hash, "correct horsE"));
    EXPECT_FALSE(VerifyPassword(*hash, ""));
    EXPECT_NE(*HashPassword("correct horse"), *hash);

    std::string changed = *hash;
    changed[changed.size() - 3] = changed[changed.size() - 3] == 'A' ? 'B' : 'A';
    for (const std::string& bad : {std::string(), changed, hash->substr(0, 40),
                                   std::string("correct horse"), std::string("$argon2i$x")})
        EXPECT_FALSE(VerifyPassword(bad, "correct horse")) << bad;
}

TEST(PasswordHashTest, SecretsCompareWholeAndEmptyNeverMatches) {
    EXPECT_TRUE(SameSecret("abc", "abc"));
    EXPECT_FALSE(SameSecret("abc", "abd"));
    EXPECT_FALSE(SameSecret("abc", "abcd"));
    EXPECT_FALSE(SameSecret("", ""));
    const std::string a = RandomHex(32);
    EXPECT_EQ(a.size(), 64u);
    EXPECT_NE(a, RandomHex(32));
}

class WebPasswordCommandTest : public ::testing::Test {
protected:
    void SetUp() override { SetStore(SettingsStore::ForDataFolder(data_.Path())); }

    int Run(const std::vector<std::string>& args, const std::string& input) {
        std::istringstream in(input);
        out_.str("");
        err_.str("");
        return WebPasswordCommand(args, in, out_, err_, -1);
    }
    std::string Web(const char* key) {
        return ReadProfileString(Store().SettingsFile(), "web", key, "<missing>");
    }

    test::TempDir data_;
    std::ostringstream out_;
    std::ostringstream err_;
};

TEST_F(WebPasswordCommandTest, TwoEqualLinesSetTheUserAndTheHashOnly) {
    EXPECT_EQ(Run({"owner"}, "s3cret-pass\ns3cret-pass\n"), 0) << err_.str();
    EXPECT_EQ(Web("user"), "owner");
    EXPECT_TRUE(VerifyPassword(Web("passwordhash"), "s3cret-pass"));
    EXPECT_EQ(test::ReadFile(Store().SettingsFile()).find("s3cret-pass"), std::string::npos);
    EXPECT_EQ(out_.str().find("s3cret-pass"), std::string::npos);
    EXPECT_NE(out_.str().find("enabled=true"), std::string::npos) << out_.str();

    // Without a user argument the configured user keeps its name.
    EXPECT_EQ(Run({}, "another-pass\r\nanother-pass\r\n"), 0) << err_.str();
    EXPECT_EQ(Web("user"), "owner");
    EXPECT_TRUE(VerifyPassword(Web("passwordhash"), "another-pass"));
}

TEST_F(WebPasswordCommandTest, RefusedInputChangesNothing) {
    struct Case {
        std::vector<std::string> args;
        const char* input;
        int status;
        const char* says;
    };
    const Case cases[] = {
        {{}, "s3cret-pass\ns3cret-pass\n", 1, "no user name"},
        {{"owner"}, "s3cret-pass\ns3cret-pasS\n", 1, "differ"},
        {{"owner"}, "short\nshort\n", 1, "shorter than 8"},
        {{"owner"}, "s3cret-pass\n", 1, "not given twice"},
        {{" owner"}, "s3cret-pass\ns3cret-pass\n", 1, "cannot be a user name"},
        {{"owner", "more"}, "", 2, "Usage"},
        {{"--help"}, "", 2, "Usage"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run(c.args, c.input), c.status) << c.says;
        EXPECT_NE(err_.str().find(c.says), std::string::npos) << err_.str();
        EXPECT_EQ(Web("passwordhash"), "<missing>") << c.says;
    }
}

}  // namespace
}  // namespace orvia
