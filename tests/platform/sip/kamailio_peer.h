// Kamailio from Debian as the registrar and proxy of a test, on a free
// loopback port: a tiny configuration and a db_text subscriber table in a
// folder of the test. REGISTER needs digest authentication (its challenge
// carries "Retry-After", so a client that fails retries soon); calls from
// its users need proxy authentication and reach registered users through it.
#pragma once

#include <string>
#include <vector>

#include "peer_process.h"

namespace orvia::sip::test {

struct SipUser {
    std::string name;
    std::string password;
};

class KamailioPeer {
public:
    // Users of domain 127.0.0.1; false when kamailio does not start.
    bool Start(const std::string& folder, const std::vector<SipUser>& users, int retryAfterSeconds);
    int Port() const { return port_; }
    // "sip:127.0.0.1:<port>".
    std::string Uri() const;
    std::string Log() const { return process_.Log(); }

private:
    PeerProcess process_;
    int port_ = 0;
};

}  // namespace orvia::sip::test
