// Which offers hold audio the line can use.
#include "platform/sip/request_check_p.h"

#include <sys/socket.h>

#include <gtest/gtest.h>

#include <string>

namespace orvia::sip {
namespace {

TEST(RequestCheck, AnOfferNeedsAnAudioStreamTheLineCanUse) {
    const std::string v4 =
        "v=0\r\no=- 1 1 IN IP4 192.0.2.1\r\ns=-\r\nc=IN IP4 192.0.2.1\r\nt=0 0\r\n";
    const std::string v6 = "v=0\r\no=- 1 1 IN IP6 ::1\r\ns=-\r\nc=IN IP6 2001:db8::1\r\nt=0 0\r\n";
    const std::string bare = "v=0\r\no=- 1 1 IN IP4 192.0.2.1\r\ns=-\r\nt=0 0\r\n";
    const struct Case {
        const char* what;
        std::string sdp;
        int family;
        bool usable;
        bool srtp = false;  // the line speaks SRTP
    } cases[] = {
        {"plain audio", v4 + "m=audio 4000 RTP/AVP 0\r\n", AF_INET, true},
        {"line ends without CR", "c=IN IP4 192.0.2.1\nm=audio 4000 RTP/AVP 0\n", AF_INET, true},
        {"profile in lower case", v4 + "m=audio 4000 rtp/avp 0\r\n", AF_INET, true},
        {"a port range", v4 + "m=audio 4000/2 RTP/AVP 0\r\n", AF_INET, true},
        {"IPv6 on an IPv6 line", v6 + "m=audio 4000 RTP/AVP 0\r\n", AF_INET6, true},
        {"the stream's own address wins", v6 + "m=audio 4000 RTP/AVP 0\r\nc=IN IP4 192.0.2.9\r\n",
         AF_INET, true},
        {"a second stream that serves",
         v4 + "m=audio 4000 RTP/SAVP 0\r\nm=audio 4002 RTP/AVP 0\r\n", AF_INET, true},
        {"no media", v4, AF_INET, false},
        {"video only", v4 + "m=video 4000 RTP/AVP 96\r\n", AF_INET, false},
        {"port 0", v4 + "m=audio 0 RTP/AVP 0\r\n", AF_INET, false},
        {"SRTP", v4 + "m=audio 4000 RTP/SAVP 0\r\n", AF_INET, false},
        {"SRTP on an SRTP line", v4 + "m=audio 4000 RTP/SAVP 0\r\n", AF_INET, true, true},
        {"plain audio on an SRTP line", v4 + "m=audio 4000 RTP/AVP 0\r\n", AF_INET, true, true},
        {"SRTP with feedback", v4 + "m=audio 4000 RTP/SAVPF 0\r\n", AF_INET, false},
        {"IPv6 on an IPv4 line", v6 + "m=audio 4000 RTP/AVP 0\r\n", AF_INET, false},
        {"IPv4 on an IPv6 line", v4 + "m=audio 4000 RTP/AVP 0\r\n", AF_INET6, false},
        {"the stream's own IPv6 address", v4 + "m=audio 4000 RTP/AVP 0\r\nc=IN IP6 ::1\r\n",
         AF_INET, false},
        {"no connection address", bare + "m=audio 4000 RTP/AVP 0\r\n", AF_INET, false},
        {"not an internet address", bare + "c=TN RFC2543 555\r\nm=audio 4000 RTP/AVP 0\r\n",
         AF_INET, false},
        {"not even SDP", "hello", AF_INET, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OffersUsableAudio(c.sdp, c.family, c.srtp), c.usable) << c.what;
}

}  // namespace
}  // namespace orvia::sip
