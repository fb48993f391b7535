// Certificates for the TLS tests, made with openssl at test time in a folder
// of the test: a CA of its own, a server certificate it signs for 127.0.0.1
// and localhost, and one it signs for another name.
#pragma once

#include <string>

namespace orvia::sip::test {

struct TestCertificates {
    std::string ca;             // the CA's certificate (PEM)
    std::string certificate;    // signed by the CA for 127.0.0.1 and localhost
    std::string key;            // its key
    std::string combined;       // certificate and key in one file (what baresip reads)
    std::string otherCombined;  // signed by the CA for "elsewhere.example", with its key
};

// False when openssl fails (its output is in folder + "openssl.log").
bool MakeTestCertificates(const std::string& folder, TestCertificates* out);

}  // namespace orvia::sip::test
