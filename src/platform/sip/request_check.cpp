#include "platform/sip/request_check_p.h"

#include <sys/socket.h>

#include <cstdlib>
#include <sstream>
#include <vector>

#include "platform/sip/libre_p.h"
#include "platform/text/ascii_text.h"

namespace orvia::sip {
namespace {

// The family of an SDP connection line ("c=IN IP4 192.0.2.1"); AF_UNSPEC
// when it names none the line knows.
int ConnectionFamily(const std::string& line) {
    std::istringstream words(line.substr(2));
    std::string net, type;
    words >> net >> type;
    if (net != "IN")
        return AF_UNSPEC;
    if (type == "IP4")
        return AF_INET;
    if (type == "IP6")
        return AF_INET6;
    return AF_UNSPEC;
}

struct MediaLine {
    std::string media;
    long port = 0;
    std::string protocol;
    int family = AF_UNSPEC;  // its own connection line's, if it has one
};

}  // namespace

std::string MissingMandatoryHeader(const struct sip_msg* msg) {
    if (!sip_msg_hdr(msg, SIP_HDR_VIA) || !pl_isset(&msg->via.sentby))
        return "missing Via header";
    if (!pl_isset(&msg->from.auri))
        return "missing From header";
    if (!pl_isset(&msg->to.auri))
        return "missing To header";
    if (!pl_isset(&msg->callid))
        return "missing Call-ID header";
    if (!pl_isset(&msg->cseq.met))
        return "missing CSeq header";
    if (pl_cmp(&msg->cseq.met, &msg->met) != 0)
        return "CSeq method is not the request's";
    if (pl_strcmp(&msg->met, "INVITE") == 0) {
        const struct sip_hdr* contact = sip_msg_hdr(msg, SIP_HDR_CONTACT);
        struct sip_addr address;
        if (!contact || sip_addr_decode(&address, &contact->val) != 0)
            return "missing Contact header";
    }
    return {};
}

bool OffersUsableAudio(const std::string& sdp, int family, bool srtp) {
    int sessionFamily = AF_UNSPEC;
    std::vector<MediaLine> media;
    std::istringstream lines(sdp);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind("c=", 0) == 0) {
            (media.empty() ? sessionFamily : media.back().family) = ConnectionFamily(line);
        } else if (line.rfind("m=", 0) == 0) {
            MediaLine entry;
            std::istringstream words(line.substr(2));
            std::string port;
            words >> entry.media >> port >> entry.protocol;
            // "49170/2" offers a range of ports; its first counts.
            entry.port = std::strtol(port.c_str(), nullptr, 10);
            media.push_back(entry);
        }
    }
    for (const MediaLine& entry : media) {
        const int streamFamily = entry.family != AF_UNSPEC ? entry.family : sessionFamily;
        const std::string profile = AsciiLower(entry.protocol);
        if (entry.media == "audio" && entry.port > 0 &&
            (profile == "rtp/avp" || (srtp && profile == "rtp/savp")) && streamFamily == family)
            return true;
    }
    return false;
}

}  // namespace orvia::sip
