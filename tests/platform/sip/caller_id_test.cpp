#include "platform/sip/caller_id_p.h"

#include <gtest/gtest.h>

namespace orvia::sip {
namespace {

TEST(CallerId, IdentityComesFromAssertedIdentityThenRemotePartyIdThenFrom) {
    IdentityHeaders h;
    h.from = "\"From Name\" <sip:100@pbx.example>;tag=abc";
    h.remotePartyId = "\"Rpid Name\" <sip:200@pbx.example>;party=calling;privacy=off";
    h.assertedIdentity = "\"Pai Name\" <sip:300@pbx.example>, <tel:+300>";
    CallerInfo info = ParseCallerId(h);
    EXPECT_EQ(info.number, "300");
    EXPECT_EQ(info.name, "Pai Name");
    EXPECT_FALSE(info.blocked);
    EXPECT_FALSE(info.outOfArea);

    h.assertedIdentity.clear();
    info = ParseCallerId(h);
    EXPECT_EQ(info.number, "200");
    EXPECT_EQ(info.name, "Rpid Name");

    h.remotePartyId.clear();
    info = ParseCallerId(h);
    EXPECT_EQ(info.number, "100");
    EXPECT_EQ(info.name, "From Name");
}

TEST(CallerId, AddressFormsAndEscapes) {
    struct Case {
        const char* from;
        const char* number;
        const char* name;
    } cases[] = {
        {"<sip:%2B4930123@example.com>;tag=1", "+4930123", ""},
        {"sip:555@example.com;tag=1", "555", ""},
        {"Bob Smith <sip:bob@example.com>", "bob", "Bob Smith"},
        {"\"Quote \\\"Q\\\" Person\" <sip:q@h>", "q", "Quote \"Q\" Person"},
        {"<tel:+1-555-0100;phone-context=x>", "+1-555-0100", ""},
        {"<sip:200;npdi@h;user=phone>", "200", ""},
        // UTF-8 names stay whole; controls and broken sequences go.
        {"\"Caf\xc3\xa9 \x07\x1b[31m\" <sip:1@h>", "1", "Caf\xc3\xa9 [31m"},
        {"\"J\xc3\xbcrgen M\xc3\xbcller \xe5\xb1\xb1\xe7\x94\xb0\" <sip:1@h>", "1",
         "J\xc3\xbcrgen M\xc3\xbcller \xe5\xb1\xb1\xe7\x94\xb0"},
        {"\"Bad \xc3( \xc2\x85 \xed\xa0\x80 end\" <sip:1@h>", "1", "Bad (   end"},
        // Cut to 31 bytes without splitting the two-byte letter at 30-31.
        {"\"\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4"
         "\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\" <sip:1@h>",
         "1",
         "\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4"
         "\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4"},
        {"\"A very long display name that goes on and on\" <sip:12345678901234567890123456789"
         "01234567890@h>",
         "1234567890123456789012345678901", "A very long display name that g"},
    };
    for (const Case& c : cases) {
        IdentityHeaders h;
        h.from = c.from;
        const CallerInfo info = ParseCallerId(h);
        EXPECT_EQ(info.number, c.number) << c.from;
        EXPECT_EQ(info.name, c.name) << c.from;
    }
}

TEST(CallerId, AnonymousOrPrivacyGivesBlockedWithoutFields) {
    struct Case {
        const char* from;
        const char* pai;
        const char* rpid;
        const char* privacy;
    } cases[] = {
        {"\"Anonymous\" <sip:anonymous@anonymous.invalid>;tag=1", "", "", ""},
        {"<sip:anonymous@example.com>", "", "", ""},
        {"\"Alice\" <sip:alice@example.com>", "<sip:alice@example.com>", "", "id"},
        {"\"Alice\" <sip:alice@example.com>", "", "", "user; critical"},
        {"<sip:1@h>", "", "\"Alice\" <sip:alice@example.com>;privacy=full", ""},
        {"\"Anonymous\" <sip:anonymous@h>", "<sip:201@pbx>", "", ""},  // the caller asked for it
    };
    for (const Case& c : cases) {
        IdentityHeaders h{c.pai, c.rpid, c.from, c.privacy};
        const CallerInfo info = ParseCallerId(h);
        EXPECT_TRUE(info.blocked) << c.from << " / " << c.pai << " / " << c.rpid;
        EXPECT_TRUE(info.number.empty());
        EXPECT_TRUE(info.name.empty());
    }
    IdentityHeaders h;
    h.from = "<sip:alice@example.com>";
    h.privacy = "none";
    EXPECT_FALSE(ParseCallerId(h).blocked);
}

TEST(CallerId, NoUsableNumberIsOutOfArea) {
    for (const char* from : {"<sip:example.com>", "\"Unknown\" <sip:unknown@h>", "garbage <", ""}) {
        IdentityHeaders h;
        h.from = from;
        const CallerInfo info = ParseCallerId(h);
        EXPECT_TRUE(info.outOfArea) << from;
        EXPECT_FALSE(info.blocked) << from;
        EXPECT_TRUE(info.number.empty()) << from;
    }
}

}  // namespace
}  // namespace orvia::sip
