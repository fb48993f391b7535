// Pieces of an Internet mail that libcurl does not make: the Date and
// Message-ID values, header text encoding, and the body's line ends.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvia {

// "Thu, 10 Dec 2026 01:15:44 +0000" for seconds since 1970 in UTC (the send
// time is given in universal time, so no time zone is needed).
std::string FormatMailDate(int64_t utcSeconds);

// A new unique "<...@domain>".
std::string NewMessageId(std::string_view domain);

// Header text as it may stand in a header: printable ASCII unchanged,
// anything with other bytes as one RFC 2047 encoded word ("=?UTF-8?B?...?=").
// Nothing when it holds control characters (CR and LF above all).
std::optional<std::string> EncodeHeaderText(std::string_view text);

// Every line end (CR LF, a lone CR or a lone LF) as CR LF, as SMTP requires.
std::string NormalizeLineEnds(std::string_view text);

// True when text can travel as "7bit": printable ASCII, tabs and CR LF line
// ends, lines of at most 998 bytes.
bool IsSevenBitText(std::string_view text);

std::string EncodeBase64(std::string_view data);

}  // namespace orvia
