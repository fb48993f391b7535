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

// The media type of a Content-Type value ("multipart/mixed"), in lower case.
std::string MediaType(const std::string& contentType) {
    return AsciiLower(TrimBlanks(std::string_view(contentType).substr(0, contentType.find(';'))));
}

// The value of the boundary parameter of a Content-Type value; empty when
// it has none.
std::string Boundary(const std::string& contentType) {
    const std::string lower = AsciiLower(contentType);
    size_t pos = 0;
    while ((pos = lower.find("boundary", pos)) != std::string::npos) {
        const size_t before = lower.find_last_not_of(" \t", pos == 0 ? 0 : pos - 1);
        size_t eq = lower.find_first_not_of(" \t", pos + 8);
        pos += 8;
        if (before == std::string::npos || lower[before] != ';' || eq == std::string::npos ||
            lower[eq] != '=')
            continue;
        const size_t start = contentType.find_first_not_of(" \t", eq + 1);
        if (start == std::string::npos)
            return {};
        if (contentType[start] == '"') {
            const size_t end = contentType.find('"', start + 1);
            return end == std::string::npos ? std::string()
                                            : contentType.substr(start + 1, end - start - 1);
        }
        const size_t end = contentType.find_first_of("; \t", start);
        return contentType.substr(start, end == std::string::npos ? end : end - start);
    }
    return {};
}

}  // namespace

std::string SdpOfBody(const std::string& contentType, const std::string& body) {
    const std::string type = MediaType(contentType);
    if (type.empty() || type == "application/sdp")
        return body;
    if (type.rfind("multipart/", 0) != 0)
        return {};
    const std::string boundary = Boundary(contentType);
    if (boundary.empty())
        return {};
    // Each part follows a line "--boundary" and ends with the line break
    // before the next one.
    const std::string delimiter = "--" + boundary;
    size_t pos = body.find(delimiter);
    while (pos != std::string::npos) {
        size_t headers = body.find('\n', pos);
        if (headers == std::string::npos || body.compare(pos + delimiter.size(), 2, "--") == 0)
            return {};
        ++headers;
        size_t next = body.find("\n" + delimiter, headers);
        const std::string part =
            body.substr(headers, next == std::string::npos ? next : next - headers);
        // The part's headers end with an empty line.
        size_t blank = 0;
        bool headersEnd = false;
        std::string partType;
        std::istringstream lines(part);
        for (std::string line; std::getline(lines, line);) {
            blank += line.size() + 1;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.empty()) {
                headersEnd = true;
                break;
            }
            const size_t colon = line.find(':');
            if (colon != std::string::npos && AsciiLower(line.substr(0, colon)) == "content-type")
                partType = MediaType(line.substr(colon + 1));
        }
        if (partType == "application/sdp" && headersEnd && blank <= part.size()) {
            // The line break before the delimiter belongs to it; the last
            // SDP line keeps one.
            std::string sdp = part.substr(blank);
            if (!sdp.empty() && sdp.back() == '\r')
                sdp.push_back('\n');
            else if (!sdp.empty() && sdp.back() != '\n')
                sdp += "\r\n";
            return sdp;
        }
        pos = next == std::string::npos ? next : next + 1;
    }
    return {};
}

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
