// What a SIP request must hold before the line takes it.
//
// Every request needs Via, From, To, Call-ID and CSeq (whose method must be
// the request's own), and an INVITE a Contact too; a request without them is
// answered 400 Bad Request and goes no further, so it can never make a call.
// An offer must hold at least one audio stream the line can use: "m=audio"
// with a port, the plain RTP profile (RTP/AVP; RTP/SAVP too on a line with
// media encryption) and a connection address of the family the line listens
// on. Otherwise the call is refused with 488 Not Acceptable Here.
//
// A body may be a multipart one (telephone network gateways put the
// signalling of the network beside the SDP); only its SDP part is the offer.
//
// Threads: pure functions.
#pragma once

#include <string>

struct sip_msg;

namespace orvia::sip {

// Why msg may not be taken ("missing To header", "CSeq method is not the
// request's"); empty when it has what it needs.
std::string MissingMandatoryHeader(const struct sip_msg* msg);

// True when the SDP text offers an audio stream the line can use; family is
// AF_INET or AF_INET6, the family of the line's media address; srtp says
// whether the line speaks SRTP.
// The session description in a body of the given Content-Type header value:
// the whole body for application/sdp (or no type at all), the first
// application/sdp part of a multipart body, else nothing.
std::string SdpOfBody(const std::string& contentType, const std::string& body);

bool OffersUsableAudio(const std::string& sdp, int family, bool srtp);

}  // namespace orvia::sip
