// The ASCII and UTF-8 text helpers every parser and name check uses.
#include <gtest/gtest.h>

#include <string>

#include "platform/text/ascii_text.h"
#include "platform/text/utf8_text.h"

namespace orvia {
namespace {

TEST(AsciiTextTest, CaseBlanksDigitsAndControls) {
    EXPECT_EQ(AsciiLower("MiXeD \xC3\x89t\xC3\xA9 1"), "mixed \xC3\x89t\xC3\xA9 1");
    EXPECT_EQ(AsciiUpper("sip:Bob"), "SIP:BOB");
    EXPECT_TRUE(EqualsNoCase("Simulated", "SIMULATED"));
    EXPECT_FALSE(EqualsNoCase("Sales", "Sales "));
    EXPECT_TRUE(StartsWithNoCase("SIPS:alice@example.org", "sips:"));
    EXPECT_FALSE(StartsWithNoCase("si", "sip:"));
    EXPECT_TRUE(EndsWithNoCase("Greeting.WAV", ".wav"));
    EXPECT_EQ(TrimBlanks(" \t value \r\n"), "value");
    EXPECT_EQ(TrimBlanks(" \t\r\n"), "");
    EXPECT_TRUE(IsAsciiDigits("000012"));
    EXPECT_FALSE(IsAsciiDigits(""));
    EXPECT_FALSE(IsAsciiDigits("12a"));
    EXPECT_TRUE(HasAsciiControl(std::string("a\0b", 3)));
    EXPECT_TRUE(HasAsciiControl("x\x7F"));
    EXPECT_FALSE(HasAsciiControl("caf\xC3\xA9"));
    EXPECT_TRUE(IsPrintableAscii("Front Desk ~"));
    EXPECT_FALSE(IsPrintableAscii("caf\xC3\xA9"));
}

TEST(AsciiTextTest, PrintableFilteringAndHexValues) {
    EXPECT_EQ(PrintableAscii("Ann\r\n\x01 Lee\xC3\xA9", 31), "Ann Lee");
    EXPECT_EQ(PrintableAscii("0123456789", 4), "0123");
    EXPECT_EQ(HexValue('7'), 7);
    EXPECT_EQ(HexValue('b'), 11);
    EXPECT_EQ(HexValue('F'), 15);
    EXPECT_EQ(HexValue('g'), -1);
    EXPECT_EQ(PercentDecode("a%20b%2Fc%zz%4"), "a b/c%zz%4");
    EXPECT_EQ(PercentDecode("a+b%2B"), "a+b+");
    EXPECT_EQ(PercentDecode("a+b%2B", true), "a b+");
}

TEST(Utf8TextTest, CutsOnACharacterBoundary) {
    const std::string text = "ab\xC3\xA9\xE2\x82\xAC";  // "ab", e-acute (2 bytes), euro (3 bytes)
    EXPECT_EQ(CutUtf8(text, 100), text);
    EXPECT_EQ(CutUtf8(text, 4), "ab\xC3\xA9");
    EXPECT_EQ(CutUtf8(text, 3), "ab");
    EXPECT_EQ(CutUtf8(text, 6), "ab\xC3\xA9");
    EXPECT_EQ(CutUtf8(text, 0), "");
}

TEST(Utf8TextTest, KeepsOnlyPrintableWellFormedCharacters) {
    struct Case {
        std::string text;
        std::size_t maxBytes;
        std::string kept;
    };
    const Case cases[] = {
        {"Caf\xC3\xA9 \xE2\x82\xAC", 31, "Caf\xC3\xA9 \xE2\x82\xAC"},
        {"a\r\nb\x7F", 31, "ab"},
        {"a\xC2\x85"
         "b",
         31, "ab"},  // a C1 control (NEL)
        {"a\xC0\xAF"
         "b",
         31, "ab"},  // an overlong "/"
        {"a\xED\xA0\x80"
         "b",
         31, "ab"},  // a surrogate
        {"a\xE2\x82"
         "b",
         31, "ab"},  // a cut sequence
        {"ab\xE2\x82\xAC"
         "c",
         4, "ab"},  // the limit would split the euro sign
    };
    for (const Case& c : cases)
        EXPECT_EQ(PrintableUtf8(c.text, c.maxBytes), c.kept) << c.text;
}

}  // namespace
}  // namespace orvia
