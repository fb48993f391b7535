#include "engine/form_data_p.h"

#include "platform/text/ascii_text.h"

namespace orvia {

std::string DecodeFormText(std::string_view text) {
    return PercentDecode(text, true);
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
