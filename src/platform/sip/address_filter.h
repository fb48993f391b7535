// Which network addresses may place calls to a SIP line ("acceptfrom").
//
// A list of IPv4 or IPv6 addresses and prefixes ("192.168.1.10",
// "10.0.0.0/8", "fd00::/8"), separated by commas, semicolons or spaces. An
// empty list allows every address. An IPv4 address written as an IPv4-mapped
// IPv6 address ("::ffff:10.0.0.1") counts as the IPv4 address.
//
// Threads: immutable after Parse; any thread.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace orvia::sip {

class AddressFilter {
public:
    // False with a reason in *error when an entry is not an address or prefix.
    bool Parse(const std::string& text, std::string* error);

    bool AllowsAll() const { return ranges_.empty(); }
    // A numeric address text ("127.0.0.1", "::1"); false for anything else
    // when the list is not empty.
    bool Allows(const std::string& address) const;

private:
    struct Range {
        bool v6 = false;
        std::array<uint8_t, 16> bytes{};
        int prefix = 0;
    };
    static bool ParseAddress(const std::string& text, bool* v6, std::array<uint8_t, 16>* bytes);

    std::vector<Range> ranges_;
};

}  // namespace orvia::sip
