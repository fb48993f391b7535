#include "store/profile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <mutex>
#include <optional>

#include "platform/files/file_modes.h"
#include "platform/files/file_open.h"
#include "platform/files/text_file.h"
#include "platform/text/ascii_text.h"

namespace orvia {
namespace {

std::mutex& ProfileMutex() {
    static std::mutex mutex;
    return mutex;
}

std::function<bool()>& BeforeRenameHook() {
    static std::function<bool()> hook;
    return hook;
}

// A profile file held as lines without their ends.
struct ProfileText {
    std::vector<std::string> lines;
    std::string eol = "\n";
    bool exists = false;
    bool failed = false;  // could not be read whole: never rewrite it
};

// Files are small; anything larger than this is not a settings file and is
// read as far as this limit only.
constexpr std::size_t kMaxProfileBytes = 16u << 20;

ProfileText Load(const std::string& path) {
    ProfileText text;
    // Only a regular file is a profile: anything else (a FIFO, a device)
    // counts as unreadable, so it is neither waited for nor replaced.
    int fd = OpenRegularFile(path, O_RDONLY);
    if (fd < 0) {
        text.failed = errno != ENOENT && errno != ENOTDIR;
        return text;
    }
    text.exists = true;
    std::string data;
    char buf[8192];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            text.failed = true;
        if (n <= 0)
            break;
        data.append(buf, static_cast<std::size_t>(n));
        if (data.size() >= kMaxProfileBytes) {
            text.failed = true;
            break;
        }
    }
    ::close(fd);

    const std::size_t firstLf = data.find('\n');
    if (firstLf != std::string::npos && firstLf > 0 && data[firstLf - 1] == '\r')
        text.eol = "\r\n";
    std::size_t start = 0;
    while (start < data.size()) {
        std::size_t end = data.find('\n', start);
        if (end == std::string::npos)
            end = data.size();
        std::string line = data.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        text.lines.push_back(std::move(line));
        start = end + 1;
    }
    return text;
}

// The section name of a header line, or nullopt for any other line.
std::optional<std::string_view> SectionOf(std::string_view line) {
    std::string_view t = TrimBlanks(line);
    if (t.empty() || t.front() != '[')
        return std::nullopt;
    std::size_t close = t.find(']');
    if (close == std::string_view::npos)
        close = t.size();
    return TrimBlanks(t.substr(1, close - 1));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> KeyOf(std::string_view line) {
    std::string_view t = TrimBlanks(line);
    if (t.empty() || t.front() == ';' || t.front() == '[')
        return std::nullopt;
    std::size_t eq = t.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return KeyLine{TrimBlanks(t.substr(0, eq)), TrimBlanks(t.substr(eq + 1))};
}

// Index of the first line of the section's header, or npos.
std::size_t FindSection(const ProfileText& text, std::string_view section) {
    for (std::size_t i = 0; i < text.lines.size(); ++i) {
        auto name = SectionOf(text.lines[i]);
        if (name && EqualsNoCase(*name, section))
            return i;
    }
    return std::string::npos;
}

// One past the last line belonging to the section that starts at header.
std::size_t SectionEnd(const ProfileText& text, std::size_t header) {
    std::size_t i = header + 1;
    while (i < text.lines.size() && !SectionOf(text.lines[i]))
        ++i;
    return i;
}

std::size_t FindKey(const ProfileText& text, std::size_t header, std::size_t end,
                    std::string_view key) {
    for (std::size_t i = header + 1; i < end; ++i) {
        auto kv = KeyOf(text.lines[i]);
        if (kv && EqualsNoCase(kv->key, key))
            return i;
    }
    return std::string::npos;
}

std::string CutValue(std::string_view value) {
    return std::string(value.substr(0, std::min(value.size(), kProfileValueMax)));
}

// Replaces path with the text through a temporary file and a rename.
bool Store(const std::string& path, const ProfileText& text) {
    std::string data;
    for (const auto& line : text.lines) {
        data += line;
        data += text.eol;
    }
    const std::size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    // INI files hold the passwords, access codes and message properties: a
    // new one is private, an existing one keeps its mode.
    std::string tmp;
    const int fd = CreateReplacement(path, FileAccess::Private, &tmp);
    if (fd < 0)
        return false;
    bool ok = WriteFully(fd, data) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && BeforeRenameHook() && !BeforeRenameHook()())
        return false;  // simulated crash
    if (ok)
        ok = ::rename(tmp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(tmp.c_str());
        return false;
    }
    // Make the rename itself durable.
    int dfd = OpenFolder(dir.empty() ? "." : dir);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

}  // namespace

std::optional<std::string> ReadProfileValue(const std::string& file, std::string_view section,
                                            std::string_view key) {
    std::lock_guard<std::mutex> guard(ProfileMutex());
    const ProfileText text = Load(file);
    const std::size_t header = FindSection(text, section);
    if (header == std::string::npos)
        return std::nullopt;
    const std::size_t at = FindKey(text, header, SectionEnd(text, header), key);
    if (at == std::string::npos)
        return std::nullopt;
    return CutValue(KeyOf(text.lines[at])->value);
}

std::string ReadProfileString(const std::string& file, std::string_view section,
                              std::string_view key, std::string_view def) {
    auto value = ReadProfileValue(file, section, key);
    return value ? std::move(*value) : CutValue(def);
}

bool ProfileHasKey(const std::string& file, std::string_view section, std::string_view key) {
    return ReadProfileValue(file, section, key).has_value();
}

namespace {

// Sets (or, with no value, deletes) one key of a section held in text,
// creating the section at the end when it is missing. False when text is
// unchanged: the value is there already, or a missing key is deleted.
bool EditKey(ProfileText& text, std::string_view section, std::string_view key,
             const std::optional<std::string>& value) {
    const std::size_t header = FindSection(text, section);
    if (header == std::string::npos) {
        if (!value)
            return false;
        text.lines.push_back("[" + std::string(section) + "]");
        text.lines.push_back(std::string(key) + "=" + *value);
        return true;
    }
    const std::size_t end = SectionEnd(text, header);
    const std::size_t at = FindKey(text, header, end, key);
    if (!value) {
        if (at == std::string::npos)
            return false;
        text.lines.erase(text.lines.begin() + static_cast<long>(at));
        return true;
    }
    if (at != std::string::npos) {
        // Keep the key's own spelling; replace only the value.
        std::string line = std::string(KeyOf(text.lines[at])->key) + "=" + *value;
        if (line == text.lines[at])
            return false;
        text.lines[at] = std::move(line);
        return true;
    }
    // After the section's last non-blank line, before trailing blank lines.
    std::size_t insert = end;
    while (insert > header + 1 && TrimBlanks(text.lines[insert - 1]).empty())
        --insert;
    text.lines.insert(text.lines.begin() + static_cast<long>(insert),
                      std::string(key) + "=" + *value);
    return true;
}

// True when the section, key and value can be written as one header line and
// one "key=value" line that read back as themselves. Anything else (a line
// break in a value taken from a caller or typed by the user, say) would add
// keys or sections of its own to the file, so it is refused.
bool FitsOneLine(std::string_view section, std::string_view key,
                 const std::optional<std::string>& value) {
    const auto breaksLine = [](std::string_view text) {
        return text.find_first_of("\r\n") != std::string_view::npos;
    };
    const std::string_view bareKey = TrimBlanks(key);
    return !breaksLine(section) && section.find(']') == std::string_view::npos &&
           !breaksLine(key) && key.find('=') == std::string_view::npos && !bareKey.empty() &&
           bareKey.front() != '[' && bareKey.front() != ';' && !(value && breaksLine(*value));
}

}  // namespace

bool WriteProfileString(const std::string& file, const char* section, const char* key,
                        const char* value) {
    if (section == nullptr)
        return true;  // the flush: nothing is cached
    if (key != nullptr) {
        return WriteProfileKeys(file, section,
                                {{key, value ? std::optional<std::string>(value) : std::nullopt}});
    }
    std::lock_guard<std::mutex> guard(ProfileMutex());
    ProfileText text = Load(file);
    if (text.failed)
        return false;
    const std::size_t header = FindSection(text, section);
    if (header == std::string::npos)
        return true;
    const std::size_t end = SectionEnd(text, header);
    text.lines.erase(text.lines.begin() + static_cast<long>(header),
                     text.lines.begin() + static_cast<long>(end));
    return Store(file, text);
}

bool WriteProfileKeys(const std::string& file, std::string_view section,
                      const std::vector<ProfileKeyEdit>& edits) {
    for (const ProfileKeyEdit& edit : edits) {
        if (!FitsOneLine(section, edit.key, edit.value))
            return false;
    }
    std::lock_guard<std::mutex> guard(ProfileMutex());
    ProfileText text = Load(file);
    if (text.failed)
        return false;
    // A value the file holds already needs no new file (many lines set
    // "state" flags that are set already), nor does deleting a missing key.
    bool changed = false;
    for (const ProfileKeyEdit& edit : edits)
        changed = EditKey(text, section, edit.key, edit.value) || changed;
    if (!changed)
        return true;
    return Store(file, text);
}

std::vector<std::string> ReadProfileSectionNames(const std::string& file) {
    std::lock_guard<std::mutex> guard(ProfileMutex());
    const ProfileText text = Load(file);
    std::vector<std::string> names;
    for (const auto& line : text.lines) {
        if (auto name = SectionOf(line))
            names.emplace_back(*name);
    }
    return names;
}

std::vector<std::pair<std::string, std::string>> ReadProfileSection(const std::string& file,
                                                                    std::string_view section) {
    std::lock_guard<std::mutex> guard(ProfileMutex());
    const ProfileText text = Load(file);
    std::vector<std::pair<std::string, std::string>> pairs;
    const std::size_t header = FindSection(text, section);
    if (header == std::string::npos)
        return pairs;
    const std::size_t end = SectionEnd(text, header);
    for (std::size_t i = header + 1; i < end; ++i) {
        if (auto kv = KeyOf(text.lines[i]))
            pairs.emplace_back(kv->key, CutValue(kv->value));
    }
    return pairs;
}

namespace profile_testing {
void SetBeforeRenameHook(std::function<bool()> hook) {
    std::lock_guard<std::mutex> guard(ProfileMutex());
    BeforeRenameHook() = std::move(hook);
}
}  // namespace profile_testing

}  // namespace orvia
