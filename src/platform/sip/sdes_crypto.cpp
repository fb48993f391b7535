#include "platform/sip/sdes_crypto_p.h"

#include <openssl/rand.h>

#include <sstream>

#include "platform/sip/libre_p.h"

namespace orvia::sip {
namespace {

constexpr char kInline[] = "inline:";

bool ParseSuite(const std::string& name, SrtpSuite* suite) {
    for (SrtpSuite known : {SrtpSuite::AesCm128HmacSha1_80, SrtpSuite::AesCm128HmacSha1_32}) {
        if (name == SrtpSuiteName(known)) {
            *suite = known;
            return true;
        }
    }
    return false;
}

}  // namespace

const char* SrtpSuiteName(SrtpSuite suite) {
    return suite == SrtpSuite::AesCm128HmacSha1_32 ? "AES_CM_128_HMAC_SHA1_32"
                                                   : "AES_CM_128_HMAC_SHA1_80";
}

std::optional<SdesCrypto> ParseCryptoAttribute(const std::string& value) {
    std::istringstream words(value);
    std::string tag, suite, keyParams, more;
    if (!(words >> tag >> suite >> keyParams) || (words >> more))
        return std::nullopt;  // missing parts, or session parameters
    SdesCrypto crypto;
    if (tag.empty() || tag.size() > 9 || tag.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    crypto.tag = static_cast<unsigned>(std::stoul(tag));
    if (!ParseSuite(suite, &crypto.suite))
        return std::nullopt;
    // One key: "inline:<key||salt>[|lifetime]", no MKI and no second key.
    if (keyParams.rfind(kInline, 0) != 0 || keyParams.find(';') != std::string::npos)
        return std::nullopt;
    const std::string params = keyParams.substr(sizeof kInline - 1);
    const size_t bar = params.find('|');
    const std::string key = params.substr(0, bar);
    if (bar != std::string::npos) {
        const std::string rest = params.substr(bar + 1);
        if (rest.find('|') != std::string::npos || rest.find(':') != std::string::npos)
            return std::nullopt;  // an MKI ("|1:4")
    }
    uint8_t decoded[64];
    size_t length = sizeof decoded;
    if (key.size() > 60 || base64_decode(key.data(), key.size(), decoded, &length) != 0 ||
        length != kSrtpKeySaltBytes)
        return std::nullopt;
    std::copy(decoded, decoded + kSrtpKeySaltBytes, crypto.keySalt.begin());
    return crypto;
}

std::string FormatCryptoAttribute(const SdesCrypto& crypto) {
    char key[64] = {};
    size_t length = sizeof key - 1;
    if (base64_encode(crypto.keySalt.data(), crypto.keySalt.size(), key, &length) != 0)
        return {};
    return std::to_string(crypto.tag) + " " + SrtpSuiteName(crypto.suite) + " " + kInline +
           std::string(key, length);
}

bool MakeSrtpKey(std::array<uint8_t, kSrtpKeySaltBytes>* keySalt) {
    return RAND_bytes(keySalt->data(), static_cast<int>(keySalt->size())) == 1;
}

}  // namespace orvia::sip
