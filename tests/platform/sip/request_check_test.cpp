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

TEST(RequestCheck, TheOfferIsTheBodyOrTheSdpPartOfAMultipartBody) {
    const std::string sdp = "v=0\r\nc=IN IP4 192.0.2.1\r\nm=audio 4000 RTP/AVP 0\r\n";
    const std::string isup =
        "Content-Type: application/ISUP;version=itu-t92+\r\n"
        "Content-Disposition: signal;handling=optional\r\n\r\n\x01\x10\x49\r\n";
    const std::string multipart =
        "--b1\r\nContent-Type: application/sdp\r\n\r\n" + sdp + "--b1\r\n" + isup + "--b1--\r\n";
    const struct Case {
        const char* what;
        std::string contentType;
        std::string body;
        std::string sdp;
    } cases[] = {
        {"plain SDP", "application/sdp", sdp, sdp},
        {"no type", "", sdp, sdp},
        {"type in capitals", "Application/SDP", sdp, sdp},
        {"SDP part first", "multipart/mixed;boundary=b1", multipart, sdp},
        {"SDP part second", "multipart/mixed; boundary=\"b1\"",
         "preamble\r\n--b1\r\n" + isup + "\r\n--b1\r\ncontent-type: application/sdp\r\n\r\n" + sdp +
             "--b1--\r\n",
         sdp},
        {"line ends without CR", "multipart/mixed;boundary=b1",
         "--b1\nContent-Type: application/sdp\n\nv=0\nm=audio 4000 RTP/AVP 0\n--b1--\n",
         "v=0\nm=audio 4000 RTP/AVP 0\r\n"},
        {"no SDP part", "multipart/mixed;boundary=b1", "--b1\r\n" + isup + "--b1--\r\n", ""},
        {"no boundary", "multipart/mixed", multipart, ""},
        {"another boundary", "multipart/mixed;boundary=b2", multipart, ""},
        {"a part without its empty line", "multipart/mixed;boundary=b1",
         "--b1\r\nContent-Type: application/sdp\r\n", ""},
        {"not SDP at all", "text/plain", sdp, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SdpOfBody(c.contentType, c.body), c.sdp) << c.what;
}

}  // namespace
}  // namespace orvia::sip
