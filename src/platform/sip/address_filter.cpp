#include "platform/sip/address_filter.h"

#include <arpa/inet.h>

#include <cstring>

namespace orvia::sip {
namespace {

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    std::string current;
    for (char c : text) {
        if (c == ',' || c == ';' || c == ' ' || c == '\t') {
            if (!current.empty())
                items.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty())
        items.push_back(current);
    return items;
}

bool PrefixMatches(const uint8_t* a, const uint8_t* b, int prefix) {
    const int whole = prefix / 8;
    if (std::memcmp(a, b, static_cast<size_t>(whole)) != 0)
        return false;
    const int rest = prefix % 8;
    if (rest == 0)
        return true;
    const uint8_t mask = static_cast<uint8_t>(0xFF << (8 - rest));
    return (a[whole] & mask) == (b[whole] & mask);
}

}  // namespace

bool AddressFilter::ParseAddress(const std::string& text, bool* v6,
                                 std::array<uint8_t, 16>* bytes) {
    bytes->fill(0);
    in_addr a4{};
    if (inet_pton(AF_INET, text.c_str(), &a4) == 1) {
        *v6 = false;
        std::memcpy(bytes->data(), &a4, 4);
        return true;
    }
    in6_addr a6{};
    if (inet_pton(AF_INET6, text.c_str(), &a6) == 1) {
        static const uint8_t kMapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
        if (std::memcmp(&a6, kMapped, 12) == 0) {
            *v6 = false;
            std::memcpy(bytes->data(), reinterpret_cast<const uint8_t*>(&a6) + 12, 4);
            return true;
        }
        *v6 = true;
        std::memcpy(bytes->data(), &a6, 16);
        return true;
    }
    return false;
}

bool AddressFilter::Parse(const std::string& text, std::string* error) {
    ranges_.clear();
    for (const std::string& item : SplitList(text)) {
        const size_t slash = item.find('/');
        Range range;
        if (!ParseAddress(item.substr(0, slash), &range.v6, &range.bytes)) {
            *error = "\"acceptfrom\": \"" + item + "\" is not an IP address or prefix";
            ranges_.clear();
            return false;
        }
        const int maxPrefix = range.v6 ? 128 : 32;
        range.prefix = maxPrefix;
        if (slash != std::string::npos) {
            const std::string bits = item.substr(slash + 1);
            if (bits.empty() || bits.size() > 3 ||
                bits.find_first_not_of("0123456789") != std::string::npos ||
                std::stoi(bits) > maxPrefix) {
                *error = "\"acceptfrom\": \"" + item + "\" has a bad prefix length";
                ranges_.clear();
                return false;
            }
            range.prefix = std::stoi(bits);
        }
        ranges_.push_back(range);
    }
    return true;
}

bool AddressFilter::Allows(const std::string& address) const {
    if (ranges_.empty())
        return true;
    bool v6 = false;
    std::array<uint8_t, 16> bytes{};
    if (!ParseAddress(address, &v6, &bytes))
        return false;
    for (const Range& range : ranges_)
        if (range.v6 == v6 && PrefixMatches(range.bytes.data(), bytes.data(), range.prefix))
            return true;
    return false;
}

}  // namespace orvia::sip
