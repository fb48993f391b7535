// SDES keys in "a=crypto" attributes.
#include "platform/sip/sdes_crypto_p.h"

#include <gtest/gtest.h>

namespace orvia::sip {
namespace {

// 30 bytes 0, 1, ... 29.
constexpr char kKey[] = "AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwd";

TEST(SdesCrypto, TakesTheTwoSuitesWithOneKeyAndNothingElse) {
    const struct Case {
        std::string value;
        bool taken;
    } cases[] = {
        {std::string("1 AES_CM_128_HMAC_SHA1_80 inline:") + kKey, true},
        {std::string("12 AES_CM_128_HMAC_SHA1_32 inline:") + kKey + "|2^31", true},
        {std::string("1 AES_CM_128_HMAC_SHA1_80 inline:") + kKey + "|2^20|1:4", false},  // MKI
        {std::string("1 AES_CM_128_HMAC_SHA1_80 inline:") + kKey + ";inline:" + kKey, false},
        {std::string("1 AES_CM_128_HMAC_SHA1_80 inline:") + kKey + " UNENCRYPTED_SRTP", false},
        {std::string("1 AES_256_CM_HMAC_SHA1_80 inline:") + kKey, false},
        {"1 AES_CM_128_HMAC_SHA1_80 inline:AAECAwQF", false},  // a short key
        {std::string("x AES_CM_128_HMAC_SHA1_80 inline:") + kKey, false},
        {std::string("1 AES_CM_128_HMAC_SHA1_80 ") + kKey, false},
        {"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseCryptoAttribute(c.value).has_value(), c.taken) << c.value;

    const auto parsed =
        ParseCryptoAttribute(std::string("12 AES_CM_128_HMAC_SHA1_32 inline:") + kKey + "|2^31");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->tag, 12u);
    EXPECT_EQ(parsed->suite, SrtpSuite::AesCm128HmacSha1_32);
    EXPECT_EQ(parsed->keySalt[0], 0);
    EXPECT_EQ(parsed->keySalt[29], 29);
    // What we write reads back the same.
    EXPECT_EQ(FormatCryptoAttribute(*parsed),
              std::string("12 AES_CM_128_HMAC_SHA1_32 inline:") + kKey);
}

TEST(SdesCrypto, FreshKeysDiffer) {
    SdesCrypto a, b;
    ASSERT_TRUE(MakeSrtpKey(&a.keySalt));
    ASSERT_TRUE(MakeSrtpKey(&b.keySalt));
    EXPECT_NE(a.keySalt, b.keySalt);
}

}  // namespace
}  // namespace orvia::sip
