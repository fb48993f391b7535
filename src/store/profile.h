// INI ("profile") files: the one way every part reads and writes settings.
//
// Each call reads or rewrites the file on disk; nothing is cached, so a value
// written by one part is seen by the next reader at once. Sections and keys
// match without regard to case, blanks around keys and values are trimmed,
// values are cut to 258 characters. Files with CRLF or LF line ends both read,
// and a rewritten file keeps its line-end style.
//
// Every write replaces the file atomically (a temporary file in the same
// folder, then a rename), so a crash, a kill or a full disk never leaves a
// truncated file: a failed write leaves the old file as it was and reports
// false. Calls from any thread are serialised by one process-wide lock.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvia {

// Longest value a read returns; longer values are cut.
inline constexpr std::size_t kProfileValueMax = 258;

// The value of key in section, or def when the file, the section or the key
// is missing.
std::string ReadProfileString(const std::string& file, std::string_view section,
                              std::string_view key, std::string_view def);

// The value of key in section, or nullopt when the file, the section or the
// key is missing.
std::optional<std::string> ReadProfileValue(const std::string& file, std::string_view section,
                                            std::string_view key);

// True when the file has the key in the section.
bool ProfileHasKey(const std::string& file, std::string_view section, std::string_view key);

// Writes key=value, creating the file and the section when missing; an
// existing key keeps its line, a new key goes to the end of its section.
// A null value deletes the key, a null key deletes the section, all three
// null is a flush (nothing to do, as nothing is cached). A write that would
// leave the file as it is does not rewrite it. A section, key or value that
// would not read back as itself (a line break anywhere, "]" in the section,
// "=" in the key) is refused: false, and the file stays as it was.
bool WriteProfileString(const std::string& file, const char* section, const char* key,
                        const char* value);

inline bool WriteProfileString(const std::string& file, std::string_view section,
                               std::string_view key, std::string_view value) {
    const std::string s(section), k(key), v(value);
    return WriteProfileString(file, s.c_str(), k.c_str(), v.c_str());
}
inline bool DeleteProfileKey(const std::string& file, std::string_view section,
                             std::string_view key) {
    const std::string s(section), k(key);
    return WriteProfileString(file, s.c_str(), k.c_str(), nullptr);
}
inline bool DeleteProfileSection(const std::string& file, std::string_view section) {
    const std::string s(section);
    return WriteProfileString(file, s.c_str(), nullptr, nullptr);
}

// One key of a multi-key write: the value to set, or nullopt to delete the key.
struct ProfileKeyEdit {
    std::string key;
    std::optional<std::string> value;
};

// Applies every edit to the section (created when missing) in one
// replacement of the file: a reader sees all of them or none, and a failed
// write leaves the file as it was. Keys not named keep their lines.
bool WriteProfileKeys(const std::string& file, std::string_view section,
                      const std::vector<ProfileKeyEdit>& edits);

// The names of all sections, in file order.
std::vector<std::string> ReadProfileSectionNames(const std::string& file);
// The key/value pairs of a section, in file order (values cut as for reads).
std::vector<std::pair<std::string, std::string>> ReadProfileSection(const std::string& file,
                                                                    std::string_view section);

namespace profile_testing {
// Called after the temporary file is complete and before the rename; returning
// false simulates a crash at that moment (the temporary file is left behind
// and the write reports false). nullptr removes the hook.
void SetBeforeRenameHook(std::function<bool()> hook);
}  // namespace profile_testing

}  // namespace orvia
