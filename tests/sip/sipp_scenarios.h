// sipp scenarios the SIP line tests run against the line.
#pragma once

namespace orvia::sip::test {

// The caller's INVITE with an SDP offer of PCMU and telephone-event.
#define ORVIA_SIPP_INVITE(FROM_HEADER, EXTRA_HEADERS)                          \
    "  <send retrans=\"500\">\n"                                               \
    "    <![CDATA[\n"                                                          \
    "      INVITE sip:orvia@[remote_ip]:[remote_port] SIP/2.0\n"               \
    "      Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=[branch]\n" \
    "      " FROM_HEADER                                                       \
    ";tag=[pid]SIPpTag00[call_number]\n"                                       \
    "      To: <sip:orvia@[remote_ip]:[remote_port]>\n"                        \
    "      Call-ID: [call_id]\n"                                               \
    "      CSeq: 1 INVITE\n"                                                   \
    "      Contact: <sip:sipp@[local_ip]:[local_port]>\n"                      \
    "      Max-Forwards: 70\n" EXTRA_HEADERS                                   \
    "      Content-Type: application/sdp\n"                                    \
    "      Content-Length: [len]\n"                                            \
    "\n"                                                                       \
    "      v=0\n"                                                              \
    "      o=user1 53655765 2353687637 IN IP[local_ip_type] [local_ip]\n"      \
    "      s=-\n"                                                              \
    "      c=IN IP[media_ip_type] [media_ip]\n"                                \
    "      t=0 0\n"                                                            \
    "      m=audio [media_port] RTP/AVP 0 101\n"                               \
    "      a=rtpmap:0 PCMU/8000\n"                                             \
    "      a=rtpmap:101 telephone-event/8000\n"                                \
    "      a=fmtp:101 0-15\n"                                                  \
    "      a=ptime:20\n"                                                       \
    "    ]]>\n"                                                                \
    "  </send>\n"

#define ORVIA_SIPP_ACK                                                                    \
    "  <send>\n"                                                                          \
    "    <![CDATA[\n"                                                                     \
    "      ACK sip:orvia@[remote_ip]:[remote_port] SIP/2.0\n"                             \
    "      Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=[branch]\n"            \
    "      From: <sip:5551234@[local_ip]:[local_port]>;tag=[pid]SIPpTag00[call_number]\n" \
    "      To: <sip:orvia@[remote_ip]:[remote_port]>[peer_tag_param]\n"                   \
    "      Call-ID: [call_id]\n"                                                          \
    "      CSeq: 1 ACK\n"                                                                 \
    "      Max-Forwards: 70\n"                                                            \
    "      Content-Length: 0\n"                                                           \
    "    ]]>\n"                                                                           \
    "  </send>\n"

#define ORVIA_SIPP_BYE                                                                    \
    "  <send retrans=\"500\">\n"                                                          \
    "    <![CDATA[\n"                                                                     \
    "      BYE sip:orvia@[remote_ip]:[remote_port] SIP/2.0\n"                             \
    "      Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=[branch]\n"            \
    "      From: <sip:5551234@[local_ip]:[local_port]>;tag=[pid]SIPpTag00[call_number]\n" \
    "      To: <sip:orvia@[remote_ip]:[remote_port]>[peer_tag_param]\n"                   \
    "      Call-ID: [call_id]\n"                                                          \
    "      CSeq: 2 BYE\n"                                                                 \
    "      Max-Forwards: 70\n"                                                            \
    "      Content-Length: 0\n"                                                           \
    "    ]]>\n"                                                                           \
    "  </send>\n"                                                                         \
    "  <recv response=\"200\" crlf=\"true\"/>\n"

// Rings until answered, sends the RFC 4733 keys of the sipp pcaps (1, 5, #)
// while the line's audio is echoed back, and hangs up.
inline const char kCallerWithKeys[] =
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\n"
    "<scenario name=\"caller with keys\">\n" ORVIA_SIPP_INVITE(
        "From: \"Test Caller\" <sip:5551234@[local_ip]:[local_port]>", "")
    "  <recv response=\"100\" optional=\"true\"/>\n"
    "  <recv response=\"180\"/>\n"
    "  <recv response=\"200\" rrs=\"true\"/>\n" ORVIA_SIPP_ACK
    "  <nop><action><exec play_pcap_audio=\"/usr/share/sip-tester/dtmf_2833_1.pcap\"/></action></nop>\n"
    "  <pause milliseconds=\"1000\"/>\n"
    "  <nop><action><exec play_pcap_audio=\"/usr/share/sip-tester/dtmf_2833_5.pcap\"/></action></nop>\n"
    "  <pause milliseconds=\"1000\"/>\n"
    "  <nop><action><exec play_pcap_audio=\"/usr/share/sip-tester/dtmf_2833_pound.pcap\"/></action></nop>\n"
    "  <pause milliseconds=\"1500\"/>\n" ORVIA_SIPP_BYE
    "</scenario>\n";

}  // namespace orvia::sip::test
