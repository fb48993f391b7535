#include "platform/files/user_paths.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace orvia {
namespace {

std::string WithSlash(std::string path) {
    if (!path.empty() && path.back() != '/')
        path.push_back('/');
    return path;
}

std::string AbsoluteEnv(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/')
        return {};
    return value;
}

std::string HomeFolder() {
    std::string home = AbsoluteEnv("HOME");
    if (!home.empty())
        return home;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buf(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buf.data(), buf.size(), &found) == 0 && found &&
        found->pw_dir && found->pw_dir[0] == '/')
        return found->pw_dir;
    return {};
}

}  // namespace

std::string UserConfigHome() {
    std::string config = AbsoluteEnv("XDG_CONFIG_HOME");
    if (!config.empty())
        return WithSlash(config);
    const std::string home = HomeFolder();
    if (home.empty())
        return {};
    return WithSlash(home) + ".config/";
}

std::string UserRuntimeDir() {
    std::string runtime = AbsoluteEnv("XDG_RUNTIME_DIR");
    if (!runtime.empty())
        return WithSlash(runtime);
    const std::string fallback = "/tmp/orvia-" + std::to_string(::getuid()) + "/";
    return EnsurePrivateFolder(fallback) ? fallback : std::string();
}

bool EnsurePrivateFolder(const std::string& folder) {
    // Without trailing slashes: with one, the kernel follows a final
    // symbolic link even under O_NOFOLLOW.
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (path.empty())
        return false;
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    // Checked and tightened through a descriptor of the folder itself, so a
    // name swapped for a link in between is never followed.
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
    if (ok && (st.st_mode & 0777) != 0700)
        ok = ::fchmod(fd, 0700) == 0;
    ::close(fd);
    return ok;
}

}  // namespace orvia
