#include "platform/sip/dial_target_p.h"

#include <gtest/gtest.h>

namespace orvia::sip {
namespace {

TEST(DialTarget, NumbersBecomeUsersAtTheDomainAndUrisStayAsTheyAre) {
    struct Case {
        const char* number;
        const char* domain;
        const char* transport;
        const char* expected;  // nullptr: refused
    } cases[] = {
        {"201", "pbx.example:5070", "", "sip:201@pbx.example:5070"},
        {" +49 (30) 123-45.67 ", "pbx", "", "sip:+49301234567@pbx"},
        {"9,5551234", "pbx", "", "sip:95551234@pbx"},
        // A transfer's dial string with the default prefix: flash, pause.
        {"!,201", "pbx", "", "sip:201@pbx"},
        {"!,sip:alice@192.168.1.30", "", "", "sip:alice@192.168.1.30"},
        {"!, bob@example.com", "", "", "sip:bob@example.com"},
        {"!,", "pbx", "", nullptr},
        {"*97#", "pbx", ";transport=tcp", "sip:*97%23@pbx;transport=tcp"},
        {"alice.smith", "pbx", "", "sip:alice.smith@pbx"},
        {"sip:bob@127.0.0.1:5062", "", "", "sip:bob@127.0.0.1:5062"},
        {"SIPS:bob@example.com", "pbx", "", "SIPS:bob@example.com"},
        {"bob@example.com", "", "", "sip:bob@example.com"},
        {"201", "", "", nullptr},  // no domain for a plain number
        {"", "pbx", "", nullptr},
        {"55;x", "pbx", "", nullptr},
        {"a b", "pbx", "", nullptr},
        {"sip:bob@h>\r\nVia: x", "pbx", "", nullptr},  // header injection
        {"sip:<bob@h>", "pbx", "", nullptr},
        {"@example.com", "pbx", "", nullptr},
        {"sip:", "pbx", "", nullptr},
    };
    for (const Case& c : cases) {
        const auto target = BuildDialTarget(c.number, c.domain, c.transport);
        if (c.expected) {
            ASSERT_TRUE(target.has_value()) << c.number;
            EXPECT_EQ(*target, c.expected);
        } else {
            EXPECT_FALSE(target.has_value()) << c.number << " -> " << target.value_or("");
        }
    }
    EXPECT_FALSE(BuildDialTarget("sip:" + std::string(300, 'a') + "@h", "", ""));
}

}  // namespace
}  // namespace orvia::sip
