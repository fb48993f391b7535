#include "app/bgalc_queue_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <map>

#include "platform/file_open.h"
#include "platform/text_file.h"
#include "store/profile.h"
#include "store/profile_values.h"

namespace orvia {
namespace {

constexpr const char* kSection = "bgalc";

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

}  // namespace

bool IsQueueablePath(const std::string& path) {
    if (path.empty() || path.front() != '/' || path.size() >= kProfileValueMax)
        return false;
    if (std::isspace(static_cast<unsigned char>(path.back())))
        return false;
    return std::none_of(path.begin(), path.end(),
                        [](unsigned char c) { return c < 0x20 || c == 0x7F; });
}

std::vector<std::string> LoadBGALCQueue(const std::string& queueFile) {
    std::map<std::string, std::string> keys;
    for (auto& [key, value] : ReadProfileSection(queueFile, kSection))
        keys.emplace(Lower(key), value);
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

    const std::string folder = FolderOf(queueFile);
    std::string tmp = queueFile + ".XXXXXX";
    const int fd = ::mkostemp(tmp.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = ::fchmod(fd, 0644) == 0 && WriteFully(fd, text) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(tmp.c_str(), queueFile.c_str()) == 0;
    if (!ok) {
        ::unlink(tmp.c_str());
        return false;
    }
    const int dfd = OpenFolder(folder);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

}  // namespace orvia
