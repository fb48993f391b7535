#include "platform/sip/sip_settings.h"

#include <gtest/gtest.h>

namespace orvia::sip {
namespace {

SipDeviceSettings Parse(const TelephonySettings& values) {
    SipDeviceSettings settings;
    std::string error;
    EXPECT_TRUE(ParseSipDeviceSettings("line0", values, &settings, &error)) << error;
    return settings;
}

std::string Refused(const TelephonySettings& values) {
    SipDeviceSettings settings;
    std::string error;
    EXPECT_FALSE(ParseSipDeviceSettings("line0", values, &settings, &error));
    return error;
}

TEST(SipSettings, DefaultsKeepAFreshDeviceOnLoopbackWithoutRegistration) {
    const SipDeviceSettings s = Parse({{"type", "sip"}});
    EXPECT_EQ(s.listenHost, "127.0.0.1");
    EXPECT_EQ(s.listenPort, 5060);
    EXPECT_EQ(s.transport, SipTransport::Udp);
    EXPECT_TRUE(s.registrar.empty());
    EXPECT_EQ(s.dtmf, DtmfMode::Auto);
    EXPECT_EQ(s.ringIntervalMs, 6000);
    EXPECT_EQ(s.natKeepaliveSeconds, 0);
    EXPECT_TRUE(s.acceptFrom.AllowsAll());
    EXPECT_EQ(s.name, "sip:orvia@127.0.0.1:5060");  // named by its address of record
}

TEST(SipSettings, ProviderAccountRegistersWithKeepaliveAndIsNamedByItsAddress) {
    const SipDeviceSettings s = Parse({{"user", "4930123"},
                                       {"registrar", "sip.example.net"},
                                       {"password", "se;cr=et"},
                                       {"transport", "TCP"},
                                       {"outboundproxy", "proxy.example.net:5070"},
                                       {"listen", "[::1]:5080"},
                                       {"ringinterval", "0.25"}});
    EXPECT_EQ(s.registrar, "sip:sip.example.net;transport=tcp");
    EXPECT_EQ(s.domain, "sip.example.net");
    EXPECT_EQ(s.authUser, "4930123");
    EXPECT_EQ(s.password, "se;cr=et");
    EXPECT_EQ(s.outboundProxy, "sip:proxy.example.net:5070;transport=tcp;lr");
    EXPECT_EQ(s.listenHost, "::1");
    EXPECT_EQ(s.listenPort, 5080);
    EXPECT_EQ(s.ringIntervalMs, 250);
    EXPECT_EQ(s.natKeepaliveSeconds, 25);
    EXPECT_EQ(s.name, "sip:4930123@sip.example.net");
    EXPECT_EQ(Parse({{"name", "Front desk"},
                     {"natkeepalive", "0"},
                     {"user", "a"},
                     {"registrar", "sip:pbx:5070"}})
                  .name,
              "Front desk");
}

TEST(SipSettings, RefusesWhatItCannotUse) {
    EXPECT_NE(Refused({{"listen", "pbx.example.net:5060"}}).find("listen"), std::string::npos);
    EXPECT_NE(Refused({{"listen", "127.0.0.1:70000"}}).find("listen"), std::string::npos);
    EXPECT_NE(Refused({{"transport", "sctp"}}).find("transport"), std::string::npos);
    EXPECT_NE(Refused({{"dtmf", "loud"}}).find("dtmf"), std::string::npos);
    EXPECT_NE(Refused({{"ringinterval", "0"}}).find("ringinterval"), std::string::npos);
    EXPECT_NE(Refused({{"ringinterval", "6s"}}).find("ringinterval"), std::string::npos);
    EXPECT_NE(Refused({{"registrar", "pbx"}}).find("user"), std::string::npos);
    EXPECT_NE(Refused({{"user", "a b"}}).find("user"), std::string::npos);
    EXPECT_NE(Refused({{"user", "a"}, {"registrar", "sip:<pbx>"}}).find("registrar"),
              std::string::npos);
    EXPECT_NE(Refused({{"displayname", "Evil\r\nVia: x"}}).find("control"), std::string::npos);
    EXPECT_NE(Refused({{"acceptfrom", "10.0.0.0/33"}}).find("acceptfrom"), std::string::npos);
    EXPECT_NE(Refused({{"acceptfrom", "pbx.example.net"}}).find("acceptfrom"), std::string::npos);
}

TEST(SipSettings, ChannelsTlsAndMediaEncryption) {
    const SipDeviceSettings plain = Parse({});
    EXPECT_EQ(plain.channels, 1);
    EXPECT_TRUE(plain.tlsVerify);
    EXPECT_EQ(plain.mediaEncryption, MediaEncryption::None);

    const SipDeviceSettings office = Parse({{"channels", "8"},
                                            {"transport", "tls"},
                                            {"user", "201"},
                                            {"registrar", "sips:pbx.example.net"},
                                            {"mediaenc", "SRTP"}});
    EXPECT_EQ(office.channels, 8);
    EXPECT_EQ(office.listenPort, 5061);  // TLS listens on 5061 unless told
    EXPECT_EQ(office.registrar, "sip:pbx.example.net;transport=tls");
    EXPECT_EQ(office.serverHost, "pbx.example.net");
    EXPECT_EQ(office.TransportParam(), ";transport=tls");
    EXPECT_EQ(office.mediaEncryption, MediaEncryption::Srtp);

    // The proxy is where requests go first: its name is the one to verify.
    const SipDeviceSettings proxied = Parse({{"transport", "tls"},
                                             {"user", "201"},
                                             {"registrar", "pbx.example.net"},
                                             {"outboundproxy", "sbc.example.net:5071"},
                                             {"tlsverify", "false"},
                                             {"listen", "127.0.0.1"},
                                             {"mediaenc", "srtp-optional"}});
    EXPECT_EQ(proxied.serverHost, "sbc.example.net");
    EXPECT_EQ(proxied.outboundProxy, "sip:sbc.example.net:5071;transport=tls;lr");
    EXPECT_FALSE(proxied.tlsVerify);
    EXPECT_EQ(proxied.listenPort, 5061);
    EXPECT_EQ(proxied.mediaEncryption, MediaEncryption::SrtpOptional);

    const SipDeviceSettings listening = Parse({{"transport", "tls"},
                                               {"tlscert", "/etc/orvia/cert.pem"},
                                               {"tlskey", "/etc/orvia/key.pem"}});
    EXPECT_EQ(listening.tlsCert, "/etc/orvia/cert.pem");
    EXPECT_EQ(listening.tlsKey, "/etc/orvia/key.pem");

    struct Case {
        TelephonySettings values;
        const char* named;  // what the reason names
    } refused[] = {
        {{{"channels", "0"}}, "channels"},
        {{{"channels", "65"}}, "channels"},
        {{{"channels", "two"}}, "channels"},
        {{{"tlsverify", "maybe"}}, "tlsverify"},
        {{{"mediaenc", "zrtp"}}, "mediaenc"},
        {{{"tlscert", "cert.pem"}, {"tlskey", "/k.pem"}}, "tlscert"},  // not absolute
        {{{"tlscert", "/c.pem"}}, "tlskey"},                           // a certificate without key
        {{{"transport", "tls"}}, "tlscert"},  // takes calls, but has no certificate
        {{{"user", "a"}, {"registrar", "sips:pbx"}}, "sips"},  // sips: without TLS
    };
    for (const Case& c : refused)
        EXPECT_NE(Refused(c.values).find(c.named), std::string::npos) << c.named;
}

TEST(AddressFilter, AllowsListedAddressesAndPrefixesOnly) {
    AddressFilter filter;
    std::string error;
    ASSERT_TRUE(filter.Parse("192.168.1.10, 10.0.0.0/8;fd00::/8  127.0.0.1", &error)) << error;
    struct Case {
        const char* address;
        bool allowed;
    } cases[] = {
        {"192.168.1.10", true},    {"192.168.1.11", false}, {"10.200.3.4", true},
        {"11.0.0.1", false},       {"fd12::1", true},       {"fe80::1", false},
        {"::ffff:10.1.2.3", true}, {"127.0.0.1", true},     {"not-an-address", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(filter.Allows(c.address), c.allowed) << c.address;

    AddressFilter open;
    ASSERT_TRUE(open.Parse("", &error));
    EXPECT_TRUE(open.Allows("203.0.113.9"));
    ASSERT_TRUE(open.Parse("0.0.0.0/0", &error));
    EXPECT_TRUE(open.Allows("203.0.113.9"));
    EXPECT_FALSE(open.Allows("2001:db8::1"));
}

}  // namespace
}  // namespace orvia::sip
