#include "audio/alc/scratch_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace orvia {

std::string TemporaryFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = (tmp && *tmp) ? tmp : "/tmp";
    if (folder.back() != '/')
        folder += '/';
    return folder;
}

std::unique_ptr<ScratchFile> ScratchFile::Create(const std::string& prefix) {
    std::string pattern = TemporaryFolder() + prefix + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    return std::unique_ptr<ScratchFile>(new ScratchFile(std::string(name.data()), fd));
}

ScratchFile::~ScratchFile() {
    file_.Close();
    ::unlink(path_.c_str());
}

}  // namespace orvia
