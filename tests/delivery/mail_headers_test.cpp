#include "delivery/mail_headers_p.h"

#include <gtest/gtest.h>

namespace orvia {
namespace {

TEST(MailHeadersTest, DateIsRfc5322InUniversalTime) {
    EXPECT_EQ(FormatMailDate(0), "Thu, 01 Jan 1970 00:00:00 +0000");
    EXPECT_EQ(FormatMailDate(1700000000), "Tue, 14 Nov 2023 22:13:20 +0000");
    EXPECT_EQ(FormatMailDate(951782400), "Tue, 29 Feb 2000 00:00:00 +0000");
}

TEST(MailHeadersTest, MessageIdsAreUniqueAndWellFormed) {
    const std::string a = NewMessageId("example.org");
    const std::string b = NewMessageId("example.org");
    EXPECT_NE(a, b);
    EXPECT_EQ(a.front(), '<');
    EXPECT_NE(a.find("@example.org>"), std::string::npos);
    EXPECT_EQ(a.find_first_of(" \r\n"), std::string::npos);
}

TEST(MailHeadersTest, HeaderTextIsPlainEncodedOrRefused) {
    EXPECT_EQ(EncodeHeaderText("Orvia Message Received"), "Orvia Message Received");
    EXPECT_EQ(EncodeHeaderText("Caf\xc3\xa9"), "=?UTF-8?B?Q2Fmw6k=?=");
    EXPECT_FALSE(EncodeHeaderText("Hi\r\nBcc: eve@example.org").has_value());
    EXPECT_FALSE(EncodeHeaderText("Hi\nthere").has_value());
}

TEST(MailHeadersTest, LineEndsBecomeCrLf) {
    EXPECT_EQ(NormalizeLineEnds("a\nb\rc\r\nd\r\n"), "a\r\nb\r\nc\r\nd\r\n");
    EXPECT_EQ(NormalizeLineEnds("\n\n"), "\r\n\r\n");
    EXPECT_EQ(NormalizeLineEnds("\r"), "\r\n");
}

TEST(MailHeadersTest, SevenBitTextNeedsAsciiAndShortLines) {
    EXPECT_TRUE(IsSevenBitText("Details:\r\n\tx\r\n"));
    EXPECT_FALSE(
        IsSevenBitText("Gr\xc3\xbc\xc3\x9f"
                       "e\r\n"));
    EXPECT_FALSE(IsSevenBitText("a\nb"));
    EXPECT_TRUE(IsSevenBitText(std::string(998, 'x') + "\r\n" + std::string(998, 'y')));
    EXPECT_FALSE(IsSevenBitText(std::string(999, 'x')));
}

TEST(MailHeadersTest, Base64MatchesTheStandardVectors) {
    EXPECT_EQ(EncodeBase64(""), "");
    EXPECT_EQ(EncodeBase64("f"), "Zg==");
    EXPECT_EQ(EncodeBase64("fo"), "Zm8=");
    EXPECT_EQ(EncodeBase64("foo"), "Zm9v");
    EXPECT_EQ(EncodeBase64("foobar"), "Zm9vYmFy");
    EXPECT_EQ(EncodeBase64(std::string("\xff\x00\xfe", 3)), "/wD+");
}

}  // namespace
}  // namespace orvia
