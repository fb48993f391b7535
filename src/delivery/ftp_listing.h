// Directory listings from an FTP server, parsed into entries.
//
// A listing is untrusted input: only names that are safe as a remote file
// name of the current directory (see IsSafeRemoteName) are kept, so a listed
// name can never lead a later command outside that directory.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvia {

enum class FtpEntryType { Unknown, File, Directory };

struct FtpEntry {
    std::string name;
    FtpEntryType type = FtpEntryType::Unknown;
};

// Longest remote name accepted.
inline constexpr std::size_t kMaxRemoteName = 255;

// True for a non-empty name of at most kMaxRemoteName bytes, other than "."
// and "..", without "/", "\" or control characters.
bool IsSafeRemoteName(std::string_view name);

// An MLSD listing: lines of "fact=value;...; name". The entries for the
// directory itself and its parent are left out.
std::vector<FtpEntry> ParseMlsdListing(std::string_view text);

// An NLST listing: one name a line; the types are unknown.
std::vector<FtpEntry> ParseNameListing(std::string_view text);

}  // namespace orvia
