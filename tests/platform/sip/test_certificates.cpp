#include "test_certificates.h"

#include <vector>

#include "peer_process.h"
#include "temp_dir.h"

namespace orvia::sip::test {
namespace {

bool Run(const std::vector<std::string>& args, const std::string& folder) {
    PeerProcess openssl;
    return openssl.Start(args, folder, "openssl.log") && openssl.Wait(60000) == 0;
}

// A key and a certificate for name, signed by the CA in folder.
bool MakeServer(const std::string& folder, const std::string& name, const std::string& altNames) {
    const std::string base = folder + name;
    if (!orvia::test::WriteFile(base + ".ext",
                                "basicConstraints=CA:FALSE\n"
                                "extendedKeyUsage=serverAuth,clientAuth\n"
                                "subjectAltName=" +
                                    altNames + "\n"))
        return false;
    if (!Run({"openssl", "req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
              "-nodes", "-keyout", base + ".key", "-out", base + ".csr", "-subj", "/CN=" + name},
             folder))
        return false;
    if (!Run({"openssl", "x509", "-req", "-in", base + ".csr", "-CA", folder + "ca.pem", "-CAkey",
              folder + "ca.key", "-CAcreateserial", "-days", "2", "-extfile", base + ".ext", "-out",
              base + ".pem"},
             folder))
        return false;
    return orvia::test::WriteFile(base + ".both.pem", orvia::test::ReadFile(base + ".pem") +
                                                          orvia::test::ReadFile(base + ".key"));
}

}  // namespace

bool MakeTestCertificates(const std::string& folder, TestCertificates* out) {
    if (!Run({"openssl",
              "req",
              "-x509",
              "-newkey",
              "ec",
              "-pkeyopt",
              "ec_paramgen_curve:prime256v1",
              "-nodes",
              "-keyout",
              folder + "ca.key",
              "-out",
              folder + "ca.pem",
              "-days",
              "2",
              "-subj",
              "/CN=Orvia Test CA",
              "-addext",
              "basicConstraints=critical,CA:TRUE",
              "-addext",
              "keyUsage=critical,keyCertSign"},
             folder))
        return false;
    if (!MakeServer(folder, "127.0.0.1", "IP:127.0.0.1,DNS:localhost") ||
        !MakeServer(folder, "elsewhere.example", "DNS:elsewhere.example"))
        return false;
    out->ca = folder + "ca.pem";
    out->certificate = folder + "127.0.0.1.pem";
    out->key = folder + "127.0.0.1.key";
    out->combined = folder + "127.0.0.1.both.pem";
    out->otherCombined = folder + "elsewhere.example.both.pem";
    return true;
}

}  // namespace orvia::sip::test
