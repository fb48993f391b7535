// SIP over TLS against baresip, with certificates made for the test: a call
// to a line that takes TLS, and calls from a line to TLS servers whose
// certificates do or do not verify.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "baresip_peer.h"
#include "diagnostics_capture.h"
#include "line_harness.h"
#include "scoped_environment.h"
#include "test_certificates.h"

namespace orvia::sip::test {
namespace {

class SipTlsTest : public SipLineTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(MakeTestCertificates(dir_.Path(), &certificates_))
            << orvia::test::ReadFile(dir_.Path() + "openssl.log");
        AppendSine(&voice_, 440, 8000);
        ASSERT_TRUE(WriteWav(dir_.Path() + "voice.wav", voice_));
    }
    // A line on TLS that takes connections with the test's certificate.
    void OpenTlsLine(const std::string& verify = "true") {
        OpenLine({{"transport", "tls"},
                  {"tlscert", certificates_.certificate},
                  {"tlskey", certificates_.key},
                  {"tlsverify", verify}});
    }

    TestCertificates certificates_;
    std::vector<int16_t> voice_;
};

TEST_F(SipTlsTest, TakesACallOverTlsWithItsCertificate) {
    ASSERT_NO_FATAL_FAILURE(OpenTlsLine());
    EXPECT_NE(line_->DeviceStatus().address.find("(tls)"), std::string::npos);
    BaresipPeer caller;
    ASSERT_TRUE(caller.Start(dir_.Path(), dir_.Path() + "voice.wav")) << caller.Log();
    events_.onRing = [&](int) { line_->Answer(events_.FirstCall()); };
    ASSERT_TRUE(
        caller.Command("dial", "sip:orvia@127.0.0.1:" + std::to_string(port_) + ";transport=tls"))
        << caller.Log();
    ASSERT_TRUE(RunUntil([&] { return events_.HasState(CallState::Connected); })) << caller.Log();
    RunUntil([&] { return audio_->Received().size() >= 8000 * 2; });
    ASSERT_TRUE(caller.Command("hangup"));
    ASSERT_TRUE(RunUntil([&] { return events_.HasState(CallState::Idle); })) << caller.Log();
    EXPECT_GT(audio_->ShareAt(440, 4000), 0.8);
}

TEST_F(SipTlsTest, CallsOnlyServersWhoseCertificateVerifies) {
    struct Case {
        const char* what;
        bool otherName;  // the server's certificate names another host
        bool trustCa;    // the test's CA stands in for the system's store
        const char* verify;
        bool connects;
        const char* refusal;  // what the refusal event says
    } cases[] = {
        {"signed by a trusted CA", false, true, "true", true, ""},
        {"signed by a CA the system does not know", false, false, "true", false,
         "unable to get local issuer certificate"},
        {"of another host", true, true, "true", false, "it is not the certificate of 127.0.0.1"},
        {"unchecked by choice", false, false, "false", true, ""},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        orvia::test::ScopedEnvironment environment;
        // OpenSSL's default store is the system's unless this names another.
        environment.Set("SSL_CERT_FILE", c.trustCa ? certificates_.ca.c_str() : nullptr);
        DiagnosticsCapture diagnostics;
        events_.events.clear();
        ASSERT_NO_FATAL_FAILURE(OpenTlsLine(c.verify));

        const std::string folder = dir_.Path() + "server" + std::to_string(index++) + "/";
        ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
        BaresipPeer server;
        BaresipOptions options;
        options.certificate = c.otherName ? certificates_.otherCombined : certificates_.combined;
        ASSERT_TRUE(server.Start(folder, dir_.Path() + "voice.wav", options)) << server.Log();

        const RequestId request = line_->MakeCall(server.TlsAddress());
        ASSERT_GT(request, 0);
        ASSERT_TRUE(RunUntil([&] { return events_.ReplyTo(request).has_value(); }, 20000))
            << server.Log();
        EXPECT_EQ(*events_.ReplyTo(request), c.connects) << diagnostics.AllText();
        if (c.connects) {
            ASSERT_TRUE(RunUntil([&] { return events_.HasState(CallState::Connected); }));
            line_->Drop(events_.FirstCall());
            ASSERT_TRUE(RunUntil([&] { return events_.HasState(CallState::Idle); }));
            EXPECT_FALSE(diagnostics.Has(DiagnosticLevel::Error, "sip", {"TLS"}))
                << diagnostics.AllText();
        } else {
            EXPECT_TRUE(diagnostics.Has(DiagnosticLevel::Error, "sip",
                                        {"TLS connection refused", c.refusal}))
                << diagnostics.AllText();
            EXPECT_FALSE(server.WaitEvent("CALL_INCOMING", 200)) << server.Log();
        }
        line_.reset();
    }
}

}  // namespace
}  // namespace orvia::sip::test
