// The settings of one SIP line device: the keys of its section in the
// telephony configuration.
//
//   name           the device's name (default: its address of record)
//   listen         local address:port for SIP (default 127.0.0.1:5060, so a
//                  fresh install is reachable from this computer only;
//                  0.0.0.0:5060 or an interface address listens on the network;
//                  port 5061 by default for TLS)
//   transport      "udp" (default), "tcp" or "tls"
//   channels       simultaneous calls of the account (1 to 64, default 1): one
//                  registration and listen address, one line device per
//                  channel
//   tlsverify      "false" accepts a server certificate that does not verify
//                  (default true: checked against the system's CA store and
//                  the server's name)
//   tlscert, tlskey
//                  certificate (PEM, with its chain) and private key of a TLS
//                  line that takes connections (absolute paths)
//   mediaenc       "none" (default), "srtp" (SDES-keyed SRTP required; an offer
//                  without it is refused with 488) or "srtp-optional" (SRTP
//                  when the peer offers or accepts it, else plain RTP)
//   registrar      registrar or PBX to register with ("sip:pbx.example.com");
//                  a device without one takes direct calls only
//   user, authuser, password, displayname
//                  account of the registration (authuser defaults to user)
//   outboundproxy  proxy every request goes through
//   dtmf           "auto" (default), "rfc4733", "inband" or "info"
//   ringinterval   seconds between ring events of a waiting call (default 6;
//                  fractions allowed)
//   acceptfrom     addresses allowed to call (see AddressFilter); empty: all
//   natkeepalive   seconds between keep-alives to the registrar (default 25
//                  when registering, 0 = none)
//
// Threads: plain data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/sip/address_filter.h"
#include "platform/telephony/telephony.h"

namespace orvia::sip {

enum class SipTransport { Udp, Tcp, Tls };
enum class DtmfMode { Auto, Rfc4733, Inband, Info };
enum class MediaEncryption { None, Srtp, SrtpOptional };

inline constexpr int kMaxSipChannels = 64;

struct SipDeviceSettings {
    std::string section;
    std::string name;
    std::string listenHost = "127.0.0.1";
    uint16_t listenPort = 5060;
    SipTransport transport = SipTransport::Udp;
    std::string registrar;  // normalised URI ("sip:host[:port][;transport=tcp]"), or empty
    std::string domain;     // host[:port] of the registrar, or empty
    std::string user;       // account user; also the contact user when set
    std::string authUser;   // digest user name (user when not set)
    std::string password;
    std::string displayName;
    std::string outboundProxy;  // normalised URI with ";lr", or empty
    // The host every request goes to first (the outbound proxy's, else the
    // registrar's), which a TLS server certificate must name; empty for none.
    std::string serverHost;
    DtmfMode dtmf = DtmfMode::Auto;
    int ringIntervalMs = 6000;
    AddressFilter acceptFrom;
    int natKeepaliveSeconds = 0;
    int channels = 1;
    bool tlsVerify = true;
    std::string tlsCert;  // absolute paths, or empty
    std::string tlsKey;
    MediaEncryption mediaEncryption = MediaEncryption::None;

    // The user part of our Contact and From addresses.
    std::string ContactUser() const { return user.empty() ? "orvia" : user; }
    // "sip:user@domain" when registering, else "sip:user@listen-address".
    std::string AddressOfRecord() const;
    // ";transport=tcp" or ";transport=tls"; empty for UDP.
    std::string TransportParam() const;
    // "udp", "tcp" or "tls".
    const char* TransportName() const;
};

// The keys of a device's section besides "type".
std::vector<std::string> SipDeviceKeys();

// Reads a device's section; false with a reason in *error for settings it
// cannot use (a bad address, an unknown mode, control characters).
bool ParseSipDeviceSettings(const std::string& section, const TelephonySettings& settings,
                            SipDeviceSettings* out, std::string* error);

}  // namespace orvia::sip
