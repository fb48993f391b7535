#include "sipp_scenarios.h"

namespace orvia::sip::test {
namespace {

std::string Branch(int back) {
    return back ? "[branch-" + std::to_string(back) + "]" : "[branch]";
}

const char kSdp[] =
    "      v=0\n"
    "      o=user1 53655765 2353687637 IN IP[local_ip_type] [local_ip]\n"
    "      s=-\n"
    "      c=IN IP[media_ip_type] [media_ip]\n"
    "      t=0 0\n";

const char kAudio[] =
    "      m=audio [media_port] RTP/AVP 0 101\n"
    "      a=rtpmap:0 PCMU/8000\n"
    "      a=rtpmap:101 telephone-event/8000\n"
    "      a=fmtp:101 0-15\n"
    "      a=ptime:20\n";

const char kAlawAudio[] =
    "      m=audio [media_port] RTP/AVP 8 0 101\n"
    "      a=rtpmap:8 PCMA/8000\n"
    "      a=rtpmap:0 PCMU/8000\n"
    "      a=rtpmap:101 telephone-event/8000\n"
    "      a=fmtp:101 0-15\n"
    "      a=ptime:20\n";

}  // namespace

std::string Scenario(const std::string& messages) {
    return "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\n<scenario name=\"test\">\n" +
           messages + "</scenario>\n";
}

std::string Invite(const std::string& from, const std::string& extraHeaders, bool alaw) {
    return std::string("  <send retrans=\"500\">\n    <![CDATA[\n") +
           "      INVITE sip:orvia@[remote_ip]:[remote_port] SIP/2.0\n"
           "      Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=[branch]\n"
           "      From: " +
           from +
           ";tag=[pid]SIPpTag00[call_number]\n"
           "      To: <sip:orvia@[remote_ip]:[remote_port]>\n"
           "      Call-ID: [call_id]\n"
           "      CSeq: 1 INVITE\n"
           "      Contact: <sip:sipp@[local_ip]:[local_port];transport=[transport]>\n"
           "      Max-Forwards: 70\n" +
           extraHeaders +
           "      Content-Type: application/sdp\n"
           "      Content-Length: [len]\n\n" +
           kSdp + (alaw ? kAlawAudio : kAudio) + "    ]]>\n  </send>\n";
}

std::string WithIsupPart(const std::string& invite) {
    const std::string sdpHeaders =
        "      Content-Type: application/sdp\n"
        "      Content-Length: [len]\n\n";
    const std::string end = "    ]]>\n  </send>\n";
    std::string multipart = invite;
    const size_t headers = multipart.find(sdpHeaders);
    const size_t close = multipart.rfind(end);
    if (headers == std::string::npos || close == std::string::npos || close < headers)
        return invite;
    multipart.replace(close, end.size(),
                      "      --unique-boundary-1\n"
                      "      Content-Type: application/ISUP;version=itu-t92+\n"
                      "      Content-Disposition: signal;handling=optional\n\n"
                      "      0123456789\n"
                      "      --unique-boundary-1--\n" +
                          end);
    multipart.replace(headers, sdpHeaders.size(),
                      "      MIME-Version: 1.0\n"
                      "      Content-Type: multipart/mixed;boundary=unique-boundary-1\n"
                      "      Content-Length: [len]\n\n"
                      "      --unique-boundary-1\n"
                      "      Content-Type: application/sdp\n\n");
    return multipart;
}

std::string InDialog(const std::string& method, int cseq, const std::string& headersAndBody,
                     int branchBack) {
    const bool reliable = method != "ACK";
    return std::string("  <send") + (reliable ? " retrans=\"500\"" : "") + ">\n    <![CDATA[\n" +
           "      " + method +
           " sip:orvia@[remote_ip]:[remote_port] SIP/2.0\n"
           "      Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=" +
           Branch(branchBack) +
           "\n"
           "      From: \"Test Caller\" <sip:5551234@[local_ip]:[local_port]>;tag=[pid]SIPpTag00"
           "[call_number]\n"
           "      To: <sip:orvia@[remote_ip]:[remote_port]>[peer_tag_param]\n"
           "      Call-ID: [call_id]\n"
           "      CSeq: " +
           std::to_string(cseq) + " " + method +
           "\n"
           "      Contact: <sip:sipp@[local_ip]:[local_port];transport=[transport]>\n"
           "      Max-Forwards: 70\n" +
           (headersAndBody.empty() ? "      Content-Length: 0\n" : headersAndBody) +
           "    ]]>\n  </send>\n";
}

std::string Reinvite(int cseq, const std::string& mediaLines) {
    return InDialog("INVITE", cseq,
                    "      Content-Type: application/sdp\n"
                    "      Content-Length: [len]\n\n" +
                        std::string(kSdp) + mediaLines);
}

std::string Cancel(int branchBack) {
    return std::string("  <send>\n    <![CDATA[\n") +
           "      CANCEL sip:orvia@[remote_ip]:[remote_port] SIP/2.0\n"
           "      Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=" +
           Branch(branchBack) +
           "\n"
           "      From: \"Test Caller\" <sip:5551234@[local_ip]:[local_port]>;tag=[pid]SIPpTag00"
           "[call_number]\n"
           "      To: <sip:orvia@[remote_ip]:[remote_port]>\n"
           "      Call-ID: [call_id]\n"
           "      CSeq: 1 CANCEL\n"
           "      Max-Forwards: 70\n"
           "      Content-Length: 0\n"
           "    ]]>\n  </send>\n";
}

std::string ExpectOptional(const std::string& code) {
    return "  <recv response=\"" + code + "\" optional=\"true\"/>\n";
}

std::string Expect(const std::string& code, const std::string& actions) {
    if (actions.empty())
        return "  <recv response=\"" + code + "\"/>\n";
    return "  <recv response=\"" + code + "\">\n    <action>\n" + actions +
           "    </action>\n  </recv>\n";
}

std::string ExpectRequestAndReply(const std::string& method, const std::string& code) {
    return "  <recv request=\"" + method +
           "\"/>\n"
           "  <send>\n    <![CDATA[\n"
           "      SIP/2.0 " +
           code +
           " OK\n"
           "      [last_Via:]\n"
           "      [last_From:]\n"
           "      [last_To:]\n"
           "      [last_Call-ID:]\n"
           "      [last_CSeq:]\n"
           "      Content-Length: 0\n"
           "    ]]>\n  </send>\n";
}

std::string Pause(int ms) {
    return "  <pause milliseconds=\"" + std::to_string(ms) + "\"/>\n";
}

std::string PlayPcap(const std::string& name) {
    return "  <nop><action><exec play_pcap_audio=\"/usr/share/sip-tester/" + name +
           "\"/></action></nop>\n";
}

std::string Ack(int cseq, int branchBack) {
    return InDialog("ACK", cseq, "", branchBack);
}

std::string Bye(int cseq) {
    return InDialog("BYE", cseq) + "  <recv response=\"200\" crlf=\"true\"/>\n";
}

std::string Info(int cseq, const std::string& signal) {
    return InDialog("INFO", cseq,
                    "      Content-Type: application/dtmf-relay\n"
                    "      Content-Length: [len]\n\n"
                    "      Signal=" +
                        signal + "\n      Duration=160\n") +
           "  <recv response=\"200\"/>\n";
}

std::string RegistrarScenario(const std::string& user, const std::string& password) {
    const std::string reply =
        "      [last_Via:]\n"
        "      [last_From:]\n"
        "      [last_To:];tag=[pid]SIPpTag01[call_number]\n"
        "      [last_Call-ID:]\n"
        "      [last_CSeq:]\n";
    return Scenario(
        "  <recv request=\"REGISTER\"/>\n"
        "  <send>\n    <![CDATA[\n"
        "      SIP/2.0 401 Unauthorized\n" +
        reply +
        "      WWW-Authenticate: Digest realm=\"orvia.test\", "
        "nonce=\"47ebe028cda119c35d4877b383027d28da013815\", algorithm=MD5\n"
        "      Content-Length: 0\n"
        "    ]]>\n  </send>\n"
        "  <recv request=\"REGISTER\">\n    <action>\n"
        "      <ereg regexp=\"sip:[^&gt;;]*\" search_in=\"hdr\" header=\"Contact:\" "
        "assign_to=\"contact\"/>\n"
        "      <verifyauth assign_to=\"authvalid\" username=\"" +
        user + "\" password=\"" + password +
        "\"/>\n"
        "    </action>\n  </recv>\n"
        "  <nop test=\"authvalid\" next=\"good\"/>\n"
        "  <send>\n    <![CDATA[\n"
        "      SIP/2.0 403 Forbidden\n" +
        reply +
        "      Content-Length: 0\n"
        "    ]]>\n  </send>\n"
        // A wrong digest ends here: waiting for nothing fails the scenario.
        "  <recv request=\"NOTIFY\" timeout=\"300\"/>\n"
        "  <label id=\"good\"/>\n"
        "  <send>\n    <![CDATA[\n"
        "      SIP/2.0 200 OK\n" +
        reply +
        "      Contact: <[$contact]>;expires=1\n"
        "      Content-Length: 0\n"
        "    ]]>\n  </send>\n"
        "  <recv request=\"REGISTER\"/>\n"
        "  <send>\n    <![CDATA[\n"
        "      SIP/2.0 200 OK\n" +
        reply +
        "      Contact: <[$contact]>;expires=3600\n"
        "      Content-Length: 0\n"
        "    ]]>\n  </send>\n");
}

std::string CalledScenario(const std::string& code) {
    const std::string reply =
        "      [last_Via:]\n"
        "      [last_From:]\n"
        "      [last_To:];tag=[pid]SIPpTag01[call_number]\n"
        "      [last_Call-ID:]\n"
        "      [last_CSeq:]\n"
        "      Contact: <sip:called@[local_ip]:[local_port];transport=[transport]>\n";
    if (code != "200")
        return Scenario(
            "  <recv request=\"INVITE\"/>\n"
            "  <send>\n    <![CDATA[\n"
            "      SIP/2.0 " +
            code + " Refused\n" + reply +
            "      Content-Length: 0\n"
            "    ]]>\n  </send>\n"
            "  <recv request=\"ACK\"/>\n");
    return Scenario(
        "  <recv request=\"INVITE\"/>\n"
        "  <send>\n    <![CDATA[\n"
        "      SIP/2.0 200 OK\n" +
        reply +
        "      Content-Type: application/sdp\n"
        "      Content-Length: [len]\n\n" +
        std::string(kSdp) + kAudio +
        "    ]]>\n  </send>\n"
        "  <recv request=\"ACK\"/>\n" +
        ExpectRequestAndReply("BYE"));
}

}  // namespace orvia::sip::test
