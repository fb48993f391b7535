#include "app/bgalc/bgalc_queue_file_p.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <map>

#include "platform/files/path_names.h"
#include "platform/files/text_file.h"
#include "platform/text/ascii_text.h"
#include "store/profile.h"
#include "store/profile_values.h"

namespace orvia {
namespace {

constexpr const char* kSection = "bgalc";

}  // namespace

bool IsQueueablePath(const std::string& path) {
    if (path.empty() || path.front() != '/' || path.size() >= kProfileValueMax)
        return false;
    return !IsAsciiBlank(path.back()) && !HasAsciiControl(path);
}

std::vector<std::string> LoadBGALCQueue(const std::string& queueFile) {
    std::map<std::string, std::string> keys;
    for (auto& [key, value] : ReadProfileSection(queueFile, kSection))
        keys.emplace(AsciiLower(key), value);
    const int64_t count =
        std::min<int64_t>(std::max(0, ReadProfileInt(queueFile, kSection, "count", 0)),
                          static_cast<int64_t>(keys.size()));
    std::vector<std::string> paths;
    for (int64_t i = 0; i < count; ++i) {
        auto it = keys.find("file" + std::to_string(i));
        if (it != keys.end() && IsQueueablePath(it->second))
            paths.push_back(it->second);
    }
    return paths;
}

bool SaveBGALCQueue(const std::string& queueFile, const std::vector<std::string>& paths) {
    std::string text = "[bgalc]\ncount=" + std::to_string(paths.size()) + "\n";
    for (std::size_t i = 0; i < paths.size(); ++i)
        text += "file" + std::to_string(i) + "=" + paths[i] + "\n";

    // The queue names recordings of the mailboxes: private like them.
    return ReplaceTextFile(queueFile, text, FileAccess::Private);
}

}  // namespace orvia
