#include "delivery/mail_address_p.h"

#include <gtest/gtest.h>

#include <ostream>

namespace orvia {
namespace {

TEST(TransportAddressTest, PrefixesSmtpOnlyWithoutAnyColon) {
    EXPECT_EQ(TransportAddress("bob@example.com"), "SMTP:bob@example.com");
    EXPECT_EQ(TransportAddress("FAX:0123"), "FAX:0123");
    EXPECT_EQ(TransportAddress("smtp:bob@example.com"), "smtp:bob@example.com");
}

struct RecipientCase {
    const char* address;
    const char* expected;  // nullptr: refused
};

// Readable case names in test listings (the default prints the pointers).
void PrintTo(const RecipientCase& c, std::ostream* os) {
    *os << '"' << c.address << '"';
}

class SmtpRecipientTest : public ::testing::TestWithParam<RecipientCase> {};

TEST_P(SmtpRecipientTest, GivesPlainAddressOrRefuses) {
    const RecipientCase& c = GetParam();
    const std::optional<std::string> recipient = SmtpRecipient(c.address);
    if (c.expected == nullptr)
        EXPECT_FALSE(recipient.has_value()) << *recipient;
    else
        EXPECT_EQ(recipient.value_or("<refused>"), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, SmtpRecipientTest,
    ::testing::Values(
        RecipientCase{"bob@example.com", "bob@example.com"},
        RecipientCase{"SMTP:bob@example.com", "bob@example.com"},
        RecipientCase{"sMtP:Bob.Smith+calls@mail.example.co.uk",
                      "Bob.Smith+calls@mail.example.co.uk"},
        // Another transport cannot go over SMTP.
        RecipientCase{"X400:c=us;a=mci;s=bob", nullptr}, RecipientCase{"FAX:0123", nullptr},
        RecipientCase{"SMTP:SMTP:bob@example.com", nullptr},
        // Header and command injection.
        RecipientCase{"bob@example.com\r\nBcc: eve@example.org", nullptr},
        RecipientCase{"bob@example.com\nRCPT TO:<eve@example.org>", nullptr},
        RecipientCase{"bob@example.com>, <eve@example.org", nullptr},
        RecipientCase{"bob@example.com,eve@example.org", nullptr},
        RecipientCase{"\"bob\"@example.com", nullptr},
        RecipientCase{"bob smith@example.com", nullptr}, RecipientCase{"bob@exa mple.com", nullptr},
        RecipientCase{"bob@example.com\t", nullptr},
        // Not an address.
        RecipientCase{"", nullptr}, RecipientCase{"bob", nullptr},
        RecipientCase{"@example.com", nullptr}, RecipientCase{"bob@", nullptr},
        RecipientCase{"bob@@example.com", nullptr}, RecipientCase{"bob@example..com", nullptr},
        RecipientCase{"bob@.example.com", nullptr},
        RecipientCase{"b\xc3\xb6"
                      "b@example.com",
                      nullptr}));

TEST(SmtpRecipientTest, RefusesAddressesLongerThanTheAddressField) {
    const std::string domain = "@example.com";
    const std::string fits = std::string(kMaxMailAddress - domain.size(), 'a') + domain;
    EXPECT_TRUE(SmtpRecipient(fits).has_value());
    EXPECT_FALSE(SmtpRecipient("a" + fits).has_value());
}

}  // namespace
}  // namespace orvia
