#include "ui/ogm/ogm_files_commands.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "engine/ogm_files.h"
#include "platform/files/file_modes.h"
#include "platform/files/folder_listing.h"
#include "platform/files/text_file.h"
#include "platform/text/ascii_text.h"
#include "store/settings_store.h"

namespace orvia {
namespace {

constexpr int kMaxProposal = 2999;
constexpr std::string_view kDropped = "<>\"*./:\\|";

std::string OgmFile(const std::string& name, std::string_view extension) {
    return Store().OGMs() + name + std::string(extension);
}

// Copies a file to a new name; false when the target exists or the copy
// fails (a partial target is removed).
bool CopyNoOverwrite(const std::string& from, const std::string& to) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                           CreationMode(FileAccess::Private));
    if (out < 0) {
        ::close(in);
        return false;
    }
    bool ok = true;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        if (!WriteFully(out, std::string_view(buffer, static_cast<std::size_t>(got)))) {
            ok = false;
            break;
        }
    }
    ok = ::fsync(out) == 0 && ok;
    ok = ::close(out) == 0 && ok;
    ::close(in);
    if (!ok)
        ::unlink(to.c_str());
    return ok;
}

// Renames a file, never over an existing one.
bool MoveNoOverwrite(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the no-replace rename: a hard link cannot
    // replace a file either.
    if (::link(from.c_str(), to.c_str()) != 0)
        return false;
    ::unlink(from.c_str());
    return true;
}

}  // namespace

std::vector<std::string> OgmNames() {
    std::vector<std::string> names;
    for (const std::string& file : ListFolderFiles(Store().OGMs(), ".ini"))
        names.push_back(file.substr(0, file.size() - 4));
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return AsciiLower(a) < AsciiLower(b);
    });
    return names;
}

bool OgmExists(const std::string& name) {
    return !name.empty() && FileIsPresent(OgmDefinitionPath(name));
}

std::string CleanOgmName(std::string_view typed) {
    std::string name;
    for (const char c : typed) {
        const auto byte = static_cast<unsigned char>(c);
        if (kDropped.find(c) == std::string_view::npos && byte >= 0x20 && byte != 0x7F)
            name.push_back(c);
    }
    return std::string(TrimBlanks(name));
}

std::string ProposeNewOgmName() {
    for (int n = 1; n <= kMaxProposal; ++n) {
        const std::string name = "OGM " + std::to_string(n);
        if (!OgmExists(name))
            return name;
    }
    return {};
}

bool CopyOgmDefinition(const std::string& from, const std::string& to) {
    return CopyNoOverwrite(OgmFile(from, ".ini"), OgmFile(to, ".ini"));
}

void DeleteOgmFiles(const std::string& name) {
    for (const char* extension : {".ini", ".wav", ".txt"})
        RemoveFileIfPresent(OgmFile(name, extension));
}

bool RenameOgmFiles(const std::string& from, const std::string& to) {
    // A recording or notes already under the new name (left from an OGM of
    // that name) would be taken for the renamed OGM's own, while its own
    // stayed behind under the old name.
    for (const char* extension : {".wav", ".txt"}) {
        if (FileIsPresent(OgmFile(from, extension)) && FileIsPresent(OgmFile(to, extension)))
            return false;
    }
    if (!MoveNoOverwrite(OgmFile(from, ".ini"), OgmFile(to, ".ini")))
        return false;
    if (!MoveNoOverwrite(OgmFile(from, ".wav"), OgmFile(to, ".wav")))
        CopyNoOverwrite(OgmFile(from, ".wav"), OgmFile(to, ".wav"));
    MoveNoOverwrite(OgmFile(from, ".txt"), OgmFile(to, ".txt"));
    return true;
}

}  // namespace orvia
