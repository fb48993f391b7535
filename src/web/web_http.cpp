#include "web/web_http_p.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "platform/text/ascii_text.h"

namespace orvia {
namespace {

constexpr std::size_t kMaxFormFields = 32;

std::optional<int64_t> Number(const std::string& text) {
    if (!IsAsciiDigits(text) || text.size() > 15)
        return std::nullopt;
    return std::strtoll(text.c_str(), nullptr, 10);
}

}  // namespace

std::map<std::string, std::string> ParseFormBody(const std::string& body) {
    std::map<std::string, std::string> fields;
    std::size_t start = 0;
    while (start < body.size() && fields.size() < kMaxFormFields) {
        std::size_t end = body.find('&', start);
        if (end == std::string::npos)
            end = body.size();
        const std::string pair = body.substr(start, end - start);
        const std::size_t equals = pair.find('=');
        const std::string name = PercentDecode(pair.substr(0, equals), true);
        const std::string value =
            equals == std::string::npos ? "" : PercentDecode(pair.substr(equals + 1), true);
        if (!name.empty())
            fields.emplace(name, value);
        start = end + 1;
    }
    return fields;
}

std::vector<std::pair<std::string, std::string>> SecurityHeaders(bool https) {
    std::vector<std::pair<std::string, std::string>> headers = {
        {"Content-Security-Policy",
         "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self'; "
         "media-src 'self'; connect-src 'none'; form-action 'self'; frame-ancestors 'none'; "
         "base-uri 'none'"},
        {"X-Content-Type-Options", "nosniff"},
        {"X-Frame-Options", "DENY"},
        {"Referrer-Policy", "no-referrer"},
        {"Cache-Control", "no-store"},
        {"Cross-Origin-Opener-Policy", "same-origin"},
        {"Cross-Origin-Resource-Policy", "same-origin"},
        {"Permissions-Policy", "camera=(), microphone=(), geolocation=()"},
    };
    if (https)
        headers.emplace_back("Strict-Transport-Security", "max-age=31536000");
    return headers;
}

void ServeBytes(const WebRequest& request, const std::string& contentType, const std::string& data,
                WebResponse& response) {
    response.contentType = contentType;
    response.headers.emplace_back("Accept-Ranges", "bytes");
    const int64_t total = static_cast<int64_t>(data.size());
    const std::string prefix = "bytes=";
    if (request.range.rfind(prefix, 0) != 0) {
        response.status = 200;
        response.body = data;
        return;
    }
    const std::string spec = request.range.substr(prefix.size());
    const std::size_t dash = spec.find('-');
    std::optional<int64_t> first;
    std::optional<int64_t> last;
    bool ok = dash != std::string::npos && spec.find(',') == std::string::npos;
    if (ok) {
        const std::string a = spec.substr(0, dash);
        const std::string b = spec.substr(dash + 1);
        if (a.empty()) {  // the last n bytes
            const std::optional<int64_t> n = Number(b);
            ok = n && *n > 0;
            if (ok) {
                first = total - std::min(*n, total);
                last = total - 1;
            }
        } else {
            first = Number(a);
            last = b.empty() ? std::optional<int64_t>(total - 1) : Number(b);
            ok = first && last && *first <= *last;
            if (ok)
                last = std::min(*last, total - 1);
        }
    }
    if (!ok || *first >= total) {
        response.status = 416;
        response.body.clear();
        response.headers.emplace_back("Content-Range", "bytes */" + std::to_string(total));
        return;
    }
    response.status = 206;
    response.headers.emplace_back("Content-Range", "bytes " + std::to_string(*first) + "-" +
                                                       std::to_string(*last) + "/" +
                                                       std::to_string(total));
    response.body =
        data.substr(static_cast<std::size_t>(*first), static_cast<std::size_t>(*last - *first + 1));
}

}  // namespace orvia
