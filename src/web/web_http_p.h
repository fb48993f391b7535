// One HTTP request and its response as the web view's pages see them,
// without the server library's types.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace orvia {

struct WebRequest {
    std::string method;  // "GET", "HEAD", "POST", ...
    std::string path;    // without the query, %-escapes decoded by the server
    std::string client;  // the peer's address
    bool https = false;
    std::map<std::string, std::string> cookies;
    std::map<std::string, std::string> form;  // POST fields
    std::string range;                        // the Range header
    bool bodyTooLarge = false;
};

struct WebResponse {
    int status = 200;
    std::string contentType = "text/html; charset=utf-8";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;  // Location, Set-Cookie, ...
};

// Fields of an application/x-www-form-urlencoded body (at most 32 fields;
// a name given twice keeps its first value).
std::map<std::string, std::string> ParseFormBody(const std::string& body);

// The headers every response carries: a Content-Security-Policy that allows
// nothing but this server's own script, style and media, no framing, no
// referrer, no caching, no content-type guessing; HSTS under HTTPS.
std::vector<std::pair<std::string, std::string>> SecurityHeaders(bool https);

// Serves data with byte ranges (a single "bytes=a-b", "bytes=a-" or
// "bytes=-n" range gives 206; an unsatisfiable one 416), as media players
// on phones ask for.
void ServeBytes(const WebRequest& request, const std::string& contentType, const std::string& data,
                WebResponse& response);

}  // namespace orvia
