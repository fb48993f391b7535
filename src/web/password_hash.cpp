#include "web/password_hash.h"

#include <sodium.h>

#include <mutex>
#include <vector>

namespace orvia {
namespace {

bool SodiumReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

}  // namespace

std::optional<std::string> HashPassword(const std::string& password) {
    if (!SodiumReady())
        return std::nullopt;
    char hash[crypto_pwhash_STRBYTES] = {};
    if (crypto_pwhash_str_alg(
            hash, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
            crypto_pwhash_MEMLIMIT_INTERACTIVE, crypto_pwhash_ALG_ARGON2ID13) != 0)
        return std::nullopt;
    return std::string(hash);
}

bool VerifyPassword(const std::string& hash, const std::string& password) {
    if (!SodiumReady() || hash.empty() || hash.size() >= crypto_pwhash_STRBYTES ||
        hash.rfind("$argon2id$", 0) != 0)
        return false;
    static std::mutex one;
    const std::lock_guard<std::mutex> guard(one);
    return crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

bool SameSecret(const std::string& a, const std::string& b) {
    if (a.empty() || a.size() != b.size() || !SodiumReady())
        return false;
    return sodium_memcmp(a.data(), b.data(), a.size()) == 0;
}

std::string RandomHex(std::size_t size) {
    if (!SodiumReady())
        return "";
    std::vector<unsigned char> bytes(size);
    randombytes_buf(bytes.data(), size);
    std::string hex(size * 2 + 1, '\0');
    sodium_bin2hex(hex.data(), hex.size(), bytes.data(), size);
    hex.pop_back();
    return hex;
}

}  // namespace orvia
