// sipp scenarios the SIP line tests run against the line, built from the
// requests and replies they share.
#pragma once

#include <string>

namespace orvia::sip::test {

// Requests of the caller's dialog. Every <send>, <recv>, <pause> and <nop>
// counts as one message of the scenario; a request that must repeat an
// earlier branch (CANCEL, ACK of an error) names how many messages back.
std::string Scenario(const std::string& messages);
// The offer is PCMU with telephone-event; with alaw PCMA first (what sipp's
// g711a.pcap carries).
std::string Invite(
    const std::string& from = "\"Test Caller\" <sip:5551234@[local_ip]:[local_port]>",
    const std::string& extraHeaders = "", bool alaw = false);
// The INVITE with its offer as the SDP part of a multipart body, beside an
// ISUP part, as gateways to the telephone network send it.
std::string WithIsupPart(const std::string& invite);
std::string InDialog(const std::string& method, int cseq, const std::string& headersAndBody = "",
                     int branchBack = 0);
std::string Reinvite(int cseq, const std::string& mediaLines);
std::string Cancel(int branchBack);
std::string Expect(const std::string& code, const std::string& actions = "");
std::string ExpectOptional(const std::string& code);
std::string ExpectRequestAndReply(const std::string& method, const std::string& code = "200");
std::string Pause(int ms);
std::string PlayPcap(const std::string& name);
std::string Ack(int cseq = 1, int branchBack = 0);
std::string Bye(int cseq);
std::string Info(int cseq, const std::string& signal);

// The registrar of the registration test: challenges, checks the digest,
// grants one second and expects the refresh.
std::string RegistrarScenario(const std::string& user, const std::string& password);
// A called party that answers with code (and, for 200, waits for BYE).
std::string CalledScenario(const std::string& code);

}  // namespace orvia::sip::test
