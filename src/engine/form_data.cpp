#include "engine/form_data_p.h"

namespace orvia {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string DecodeFormText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out.push_back(' ');
            continue;
        }
        if (c == '%' && i + 2 < text.size()) {
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out.push_back(static_cast<char>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        out.push_back(c);
    }
    return out;
}

std::vector<std::pair<std::string, std::string>> DecodeFormPairs(std::string_view text) {
    std::vector<std::pair<std::string, std::string>> pairs;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('&', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view pair = text.substr(start, end - start);
        const std::size_t equals = pair.find('=');
        std::string name = DecodeFormText(pair.substr(0, equals));
        if (!name.empty()) {
            std::string value = equals == std::string_view::npos
                                    ? std::string()
                                    : DecodeFormText(pair.substr(equals + 1));
            pairs.emplace_back(std::move(name), std::move(value));
        }
        start = end + 1;
    }
    return pairs;
}

}  // namespace orvia
