// The settings of one SIP line device: the keys of its section in the
// telephony configuration.
//
//   name           the device's name (default: its address of record)
//   listen         local address:port for SIP (default 127.0.0.1:5060, so a
//                  fresh install is reachable from this computer only;
//                  0.0.0.0:5060 or an interface address listens on the network)
//   transport      "udp" (default) or "tcp"
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

enum class SipTransport { Udp, Tcp };
enum class DtmfMode { Auto, Rfc4733, Inband, Info };

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
    DtmfMode dtmf = DtmfMode::Auto;
    int ringIntervalMs = 6000;
    AddressFilter acceptFrom;
    int natKeepaliveSeconds = 0;

    // The user part of our Contact and From addresses.
    std::string ContactUser() const { return user.empty() ? "orvia" : user; }
    // "sip:user@domain" when registering, else "sip:user@listen-address".
    std::string AddressOfRecord() const;
    // ";transport=tcp" for TCP, empty for UDP.
    std::string TransportParam() const {
        return transport == SipTransport::Tcp ? ";transport=tcp" : "";
    }
};

// The keys of a device's section besides "type".
std::vector<std::string> SipDeviceKeys();

// Reads a device's section; false with a reason in *error for settings it
// cannot use (a bad address, an unknown mode, control characters).
bool ParseSipDeviceSettings(const std::string& section, const TelephonySettings& settings,
                            SipDeviceSettings* out, std::string* error);

}  // namespace orvia::sip
