#include "delivery/ftp_listing.h"

#include "platform/text/ascii_text.h"

namespace orvia {
namespace {

// Calls take(line) for each line, without its CR LF or LF.
template <typename Take>
void ForEachLine(std::string_view text, Take take) {
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        take(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
}

// The value of the "type" fact, lower case; empty when there is none.
std::string TypeFact(std::string_view facts) {
    while (!facts.empty()) {
        const std::size_t semicolon = facts.find(';');
        const std::string_view fact = facts.substr(0, semicolon);
        const std::size_t equals = fact.find('=');
        if (equals != std::string_view::npos && EqualsNoCase(fact.substr(0, equals), "type"))
            return AsciiLower(fact.substr(equals + 1));
        if (semicolon == std::string_view::npos)
            break;
        facts.remove_prefix(semicolon + 1);
    }
    return {};
}

}  // namespace

bool IsSafeRemoteName(std::string_view name) {
    if (name.empty() || name.size() > kMaxRemoteName || name == "." || name == "..")
        return false;
    for (char c : name) {
        if (IsAsciiControl(c) || c == '/' || c == '\\')
            return false;
    }
    return true;
}

std::vector<FtpEntry> ParseMlsdListing(std::string_view text) {
    std::vector<FtpEntry> entries;
    ForEachLine(text, [&](std::string_view line) {
        // The facts end at the first space; the name is everything after it.
        const std::size_t space = line.find(' ');
        if (space == std::string_view::npos)
            return;
        const std::string_view name = line.substr(space + 1);
        if (!IsSafeRemoteName(name))
            return;
        const std::string type = TypeFact(line.substr(0, space));
        if (type == "cdir" || type == "pdir")
            return;
        FtpEntry entry;
        entry.name = std::string(name);
        if (type == "file")
            entry.type = FtpEntryType::File;
        else if (type == "dir")
            entry.type = FtpEntryType::Directory;
        entries.push_back(std::move(entry));
    });
    return entries;
}

std::vector<FtpEntry> ParseNameListing(std::string_view text) {
    std::vector<FtpEntry> entries;
    ForEachLine(text, [&](std::string_view line) {
        if (IsSafeRemoteName(line))
            entries.push_back(FtpEntry{std::string(line), FtpEntryType::Unknown});
    });
    return entries;
}

}  // namespace orvia
