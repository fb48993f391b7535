// SDES keys for SRTP: the SDP "a=crypto" attribute (RFC 4568) for the two
// suites the line speaks, AES_CM_128_HMAC_SHA1_80 and AES_CM_128_HMAC_SHA1_32.
//
// "1 AES_CM_128_HMAC_SHA1_80 inline:<base64 of 16 key and 14 salt bytes>",
// with an optional lifetime ("|2^31") after the key. An attribute is not
// taken when its suite is another, its key is not 30 bytes, it names a
// master key identifier (MKI) or more than one key, or it carries session
// parameters (UNENCRYPTED_SRTP and the like), which would change how packets
// are protected.
//
// Threads: pure functions.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace orvia::sip {

enum class SrtpSuite { AesCm128HmacSha1_80, AesCm128HmacSha1_32 };

inline constexpr size_t kSrtpKeySaltBytes = 30;

struct SdesCrypto {
    unsigned tag = 1;
    SrtpSuite suite = SrtpSuite::AesCm128HmacSha1_80;
    std::array<uint8_t, kSrtpKeySaltBytes> keySalt{};
};

// The attribute's value (what follows "a=crypto:"); empty when it is not
// one the line takes.
std::optional<SdesCrypto> ParseCryptoAttribute(const std::string& value);
// The value of an attribute for crypto.
std::string FormatCryptoAttribute(const SdesCrypto& crypto);
// The suite's name in SDP.
const char* SrtpSuiteName(SrtpSuite suite);
// Fresh key and salt from the system's random source; false when it fails.
bool MakeSrtpKey(std::array<uint8_t, kSrtpKeySaltBytes>* keySalt);

}  // namespace orvia::sip
