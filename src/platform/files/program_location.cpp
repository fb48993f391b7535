#include "platform/files/program_location.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/files/text_file.h"

namespace orvia {
namespace {

namespace fs = std::filesystem;

// The data folder relative to the program's folder ("../share/orvia"), from
// the install layout the top-level CMakeLists.txt sets.
#ifndef ORVIA_DATA_FROM_PROGRAM
#error "ORVIA_DATA_FROM_PROGRAM names the data folder relative to the program's folder"
#endif

constexpr std::string_view kDeletedMark = " (deleted)";

bool IsRunnableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

std::string RealPath(const std::string& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr)
        return {};
    std::string out = resolved;
    ::free(resolved);
    return out;
}

std::string ReadProgramLink() {
    std::vector<char> buf(4096);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0)
            return {};
        if (static_cast<std::size_t>(n) < buf.size())
            return std::string(buf.data(), static_cast<std::size_t>(n));
        if (buf.size() >= (1u << 16))
            return {};
        buf.resize(buf.size() * 2);
    }
}

}  // namespace

std::string ProgramPath() {
    return ProgramPathFromLink(ReadProgramLink());
}

std::string ProgramPathFromLink(std::string link) {
    // The kernel marks a program file that was removed or replaced while the
    // program runs; the path then names the file that replaced it, which is
    // what a later start runs.
    if (link.size() > kDeletedMark.size() && link.ends_with(kDeletedMark) && !FileIsPresent(link))
        link.resize(link.size() - kDeletedMark.size());
    return link;
}

std::string ProgramDataFolder(const std::string& programPath) {
    if (programPath.empty() || programPath[0] != '/')
        return {};
    const fs::path folder =
        (fs::path(programPath).parent_path() / ORVIA_DATA_FROM_PROGRAM).lexically_normal();
    std::error_code error;
    if (!fs::is_directory(folder, error))
        return {};
    std::string out = folder.string();
    if (out.back() != '/')
        out.push_back('/');
    return out;
}

std::string ProgramDataFolder() {
    return ProgramDataFolder(ProgramPath());
}

bool IsInBuildFolder(const std::string& programPath) {
    fs::path folder = fs::path(programPath).parent_path();
    while (!folder.empty()) {
        if (FileIsPresent((folder / "CMakeCache.txt").string()))
            return true;
        if (folder == folder.root_path())
            break;
        folder = folder.parent_path();
    }
    return false;
}

ProgramToStart FindProgramToStart(const std::string& runningPath, const std::string& searchPath) {
    if (runningPath.empty())
        return {"", "the program's own path is unknown (/proc/self/exe cannot be read)"};
    if (!IsInBuildFolder(runningPath))
        return {runningPath, ""};
    std::size_t start = 0;
    while (start <= searchPath.size()) {
        std::size_t end = searchPath.find(':', start);
        if (end == std::string::npos)
            end = searchPath.size();
        const std::string folder = searchPath.substr(start, end - start);
        start = end + 1;
        // A relative entry would name a different program from each folder
        // the session starts in.
        if (folder.empty() || folder[0] != '/')
            continue;
        const std::string candidate = folder + "/orvia";
        if (!IsRunnableFile(candidate))
            continue;
        const std::string real = RealPath(candidate);
        if (!real.empty() && !IsInBuildFolder(real))
            return {real, ""};
    }
    return {"", "this Orvia runs from a build folder (" + runningPath +
                    ") and no installed orvia is on PATH; install Orvia (make install, or the "
                    "Debian package) so that what starts it later does not depend on the checkout"};
}

ProgramToStart FindProgramToStart() {
    const char* path = std::getenv("PATH");
    return FindProgramToStart(ProgramPath(), path != nullptr ? path : "");
}

}  // namespace orvia
