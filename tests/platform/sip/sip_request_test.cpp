// Requests a standard-conforming peer would never send, sent as raw UDP to
// the running SIP line: a request missing a mandatory header is refused with
// 400, an offer without usable audio with 488, and neither makes a call.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "line_harness.h"

namespace orvia::sip::test {
namespace {

constexpr int kReplyBoundMs = 5000;

// A UDP socket on a port of its own, standing in for a caller's SIP stack.
class UdpCaller {
public:
    UdpCaller() {
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) == 0)
            port_ = ntohs(address.sin_port);
    }
    ~UdpCaller() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    UdpCaller(const UdpCaller&) = delete;
    UdpCaller& operator=(const UdpCaller&) = delete;

    int Port() const { return port_; }

    bool Send(const std::string& request, int linePort) const {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        to.sin_port = htons(static_cast<uint16_t>(linePort));
        return ::sendto(fd_, request.data(), request.size(), 0, reinterpret_cast<sockaddr*>(&to),
                        sizeof to) == static_cast<ssize_t>(request.size());
    }

    // The status codes of the responses that arrive until a final one (or
    // the bound); provisional ones come first.
    std::vector<int> Responses() const {
        std::vector<int> codes;
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(kReplyBoundMs);
        while (codes.empty() || codes.back() < 200) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  deadline - std::chrono::steady_clock::now())
                                  .count();
            pollfd pfd{fd_, POLLIN, 0};
            if (left <= 0 || ::poll(&pfd, 1, static_cast<int>(left)) <= 0)
                break;
            char buffer[4096];
            const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
            const std::string text(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
            if (text.rfind("SIP/2.0 ", 0) == 0)
                codes.push_back(std::stoi(text.substr(8, 3)));
        }
        return codes;
    }

private:
    int fd_ = -1;
    int port_ = 0;
};

const char kAudioOffer[] =
    "v=0\r\n"
    "o=caller 1 1 IN IP4 127.0.0.1\r\n"
    "s=-\r\n"
    "c=IN IP4 127.0.0.1\r\n"
    "t=0 0\r\n"
    "m=audio 40000 RTP/AVP 0 8\r\n"
    "a=rtpmap:0 PCMU/8000\r\n";

// A request from caller to the line; headers named in drop are left out.
std::string Request(const std::string& method, const UdpCaller& caller, int linePort,
                    const std::vector<std::string>& drop, const std::string& body = {},
                    const std::string& cseqMethod = {}) {
    const std::string me = "127.0.0.1:" + std::to_string(caller.Port());
    const std::string line = "127.0.0.1:" + std::to_string(linePort);
    const std::string id = "req" + std::to_string(caller.Port());
    const std::vector<std::pair<std::string, std::string>> headers = {
        {"Via", "SIP/2.0/UDP " + me + ";branch=z9hG4bK" + id + ";rport"},
        {"Max-Forwards", "70"},
        {"From", "\"J\xC3\xBCrgen M\xC3\xBCller\" <sip:5551234@" + me + ">;tag=" + id},
        {"To", "<sip:orvia@" + line + ">"},
        {"Call-ID", id + "@127.0.0.1"},
        {"CSeq", "1 " + (cseqMethod.empty() ? method : cseqMethod)},
        {"Contact", "<sip:caller@" + me + ">"},
    };
    std::string text = method + " sip:orvia@" + line + " SIP/2.0\r\n";
    for (const auto& [name, value] : headers) {
        if (std::find(drop.begin(), drop.end(), name) == drop.end())
            text += name + ": " + value + "\r\n";
    }
    if (!body.empty())
        text += "Content-Type: application/sdp\r\n";
    text += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    return text;
}

class SipRequestTest : public SipLineTest {
protected:
    // The final status of the request, and that it offered no call.
    int FinalStatus(const std::string& method, const std::vector<std::string>& drop,
                    const std::string& body = kAudioOffer, const std::string& cseqMethod = {}) {
        UdpCaller caller;
        EXPECT_GT(caller.Port(), 0);
        EXPECT_TRUE(caller.Send(Request(method, caller, port_, drop, body, cseqMethod), port_));
        const std::vector<int> codes = caller.Responses();
        dispatcher_.RunPending();
        return codes.empty() ? 0 : codes.back();
    }
    // A proper call is still taken: no refused request left the line busy.
    void ExpectALineThatStillTakesCalls() {
        UdpCaller caller;
        ASSERT_TRUE(caller.Send(Request("INVITE", caller, port_, {}, kAudioOffer), port_));
        ASSERT_TRUE(RunUntil([&] { return events_.HasState(CallState::Offering); }));
        EXPECT_EQ(events_.States(), "Offering");
        // The display name keeps its characters beyond ASCII.
        EXPECT_EQ(line_->GetCallerInfo(events_.FirstCall()).name, "J\xC3\xBCrgen M\xC3\xBCller");
        EXPECT_EQ(line_->GetCallerInfo(events_.FirstCall()).number, "5551234");
    }
};

TEST_F(SipRequestTest, ARequestMissingAMandatoryHeaderIsRefusedWith400) {
    ASSERT_NO_FATAL_FAILURE(OpenLine());
    const struct Case {
        const char* method;
        std::vector<std::string> drop;
        const char* cseqMethod;
        int status;
    } cases[] = {
        {"INVITE", {"Call-ID"}, "", 400},  {"INVITE", {"CSeq"}, "", 400},
        {"INVITE", {"From"}, "", 400},     {"INVITE", {"To"}, "", 400},
        {"INVITE", {"Via"}, "", 400},      {"INVITE", {"Contact"}, "", 400},
        {"INVITE", {}, "BYE", 400},  // CSeq names another method
        {"OPTIONS", {"To"}, "", 400},      {"OPTIONS", {"Via", "From"}, "", 400},
        {"OPTIONS", {"Contact"}, "", 200},  // Contact is needed for INVITE only
    };
    for (const Case& c : cases) {
        std::string what = c.method;
        for (const std::string& header : c.drop)
            what += " without " + header;
        SCOPED_TRACE(what + (*c.cseqMethod ? std::string(" with CSeq ") + c.cseqMethod : ""));
        EXPECT_EQ(FinalStatus(c.method, c.drop,
                              c.method == std::string("INVITE") ? kAudioOffer : "", c.cseqMethod),
                  c.status);
        EXPECT_TRUE(events_.events.empty());
    }
    ExpectALineThatStillTakesCalls();
}

TEST_F(SipRequestTest, AnOfferWithoutUsableAudioIsRefusedWith488) {
    ASSERT_NO_FATAL_FAILURE(OpenLine());
    const std::string session =
        "v=0\r\no=caller 1 1 IN IP4 127.0.0.1\r\ns=-\r\nc=IN IP4 127.0.0.1\r\nt=0 0\r\n";
    const struct Case {
        const char* what;
        std::string sdp;
    } cases[] = {
        {"no media", session},
        {"video only", session + "m=video 40000 RTP/AVP 96\r\na=rtpmap:96 H264/90000\r\n"},
        {"audio on port 0", session + "m=audio 0 RTP/AVP 0 8\r\n"},
        {"SRTP only", session + "m=audio 40000 RTP/SAVP 0\r\n"
                                "a=crypto:1 AES_CM_128_HMAC_SHA1_80 "
                                "inline:WVNfX19zZW1jdGwgKCkgewkyMjA7fQp9CnVubGVz\r\n"},
        {"IPv6 audio on an IPv4 line",
         "v=0\r\no=caller 1 1 IN IP6 ::1\r\ns=-\r\nc=IN IP6 ::1\r\nt=0 0\r\n"
         "m=audio 40000 RTP/AVP 0\r\n"},
        {"IPv6 audio stream", session + "m=audio 40000 RTP/AVP 0\r\nc=IN IP6 ::1\r\n"},
        {"no common codec", session + "m=audio 40000 RTP/AVP 18\r\na=rtpmap:18 G729/8000\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FinalStatus("INVITE", {}, c.sdp), 488);
        EXPECT_TRUE(events_.events.empty());
    }
    ExpectALineThatStillTakesCalls();
}

}  // namespace
}  // namespace orvia::sip::test
