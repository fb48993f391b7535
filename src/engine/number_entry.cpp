#include "engine/number_entry.h"

#include <cstdint>
#include <optional>

#include "engine/ogm_files.h"
#include "platform/files/file_open.h"
#include "platform/text/ascii_text.h"
#include "store/profile.h"
#include "store/profile_values.h"

namespace orvia {
namespace {

// The digits as a decimal number, saturating (no digits: 0).
int64_t DigitsValue(std::string_view digits) {
    int64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            break;
        if (value > (INT64_MAX - 9) / 10)
            return INT64_MAX;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

bool ListContains(std::string_view list, std::string_view digits) {
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(',', start);
        if (end == std::string_view::npos)
            end = list.size();
        const std::string_view item = TrimBlanks(list.substr(start, end - start));
        if (!item.empty() && digits.substr(0, item.size()) == item)
            return true;
        start = end + 1;
    }
    return false;
}

bool NumberAccepted(const std::string& ogmFile, std::string_view digits) {
    if (ReadProfileBool(ogmFile, kOgmSectionIvr, "varlimit", false)) {
        const int64_t value = DigitsValue(digits);
        if (value < ReadProfileInt(ogmFile, kOgmSectionIvr, "varlimitmin", 0) ||
            value > ReadProfileInt(ogmFile, kOgmSectionIvr, "varlimitmax", 10000))
            return false;
    }
    if (!ReadProfileBool(ogmFile, kOgmSectionIvr, "varlimitlistenabled", false))
        return true;
    std::string list;
    if (ReadProfileBool(ogmFile, kOgmSectionIvr, "varlimitlistisfile", false)) {
        // A list file that cannot be read or is empty gives no list at all.
        std::optional<std::string> contents = ReadRegularFile(
            ReadProfileString(ogmFile, kOgmSectionIvr, "varlimitlistfile", ""), kNumberListFileMax);
        if (!contents || contents->empty())
            return true;
        list = std::move(*contents);
    } else {
        list = ReadProfileString(ogmFile, kOgmSectionIvr, "varlimitlist", "");
    }
    const bool exclude = ReadProfileBool(ogmFile, kOgmSectionIvr, "varlimitlistexclude", false);
    return ListContains(list, digits) != exclude;
}

}  // namespace orvia
