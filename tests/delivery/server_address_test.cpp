#include "delivery/server_address_p.h"

#include <gtest/gtest.h>

#include <ostream>

namespace orvia {
namespace {

struct ServerCase {
    const char* text;
    const char* authority;  // nullptr: refused
};

// Readable case names in test listings (the default prints the pointers).
void PrintTo(const ServerCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class ServerAddressTest : public ::testing::TestWithParam<ServerCase> {};

TEST_P(ServerAddressTest, ParsesHostAndPortOrRefuses) {
    const ServerCase& c = GetParam();
    const std::optional<ServerAddress> address = ParseServerAddress(c.text, 21);
    if (c.authority == nullptr)
        EXPECT_FALSE(address.has_value()) << address->Authority();
    else
        EXPECT_EQ(address ? address->Authority() : "<refused>", c.authority);
}

INSTANTIATE_TEST_SUITE_P(
    Servers, ServerAddressTest,
    ::testing::Values(ServerCase{"ftp.example.com", "ftp.example.com:21"},
                      ServerCase{" ftp.example.com:2121 ", "ftp.example.com:2121"},
                      ServerCase{"192.0.2.7:65535", "192.0.2.7:65535"},
                      ServerCase{"[2001:db8::1]:990", "[2001:db8::1]:990"},
                      ServerCase{"[::1]", "[::1]:21"},
                      ServerCase{"2001:db8::1", "[2001:db8::1]:21"}, ServerCase{"", nullptr},
                      ServerCase{"host:", nullptr}, ServerCase{"host:0", nullptr},
                      ServerCase{"host:65536", nullptr}, ServerCase{"host:21x", nullptr},
                      ServerCase{"user@host", nullptr}, ServerCase{"host/path", nullptr},
                      ServerCase{"host?x=1", nullptr}, ServerCase{"ho st", nullptr},
                      ServerCase{"host\r\nQUIT", nullptr}, ServerCase{"-host", nullptr},
                      ServerCase{"[::1", nullptr}, ServerCase{"[::1]x", nullptr},
                      ServerCase{"[evil.com]", nullptr}));

}  // namespace
}  // namespace orvia
