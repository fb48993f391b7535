#include "web/web_password_command.h"

#include <termios.h>
#include <unistd.h>

#include <istream>
#include <optional>
#include <ostream>

#include "platform/text/ascii_text.h"
#include "platform/text/utf8_text.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"
#include "web/password_hash.h"
#include "web/web_settings.h"

namespace orvia {
namespace {

// Switches a terminal's echo off for its lifetime.
class NoEcho {
public:
    explicit NoEcho(int fd) {
        if (fd < 0 || !::isatty(fd) || ::tcgetattr(fd, &saved_) != 0)
            return;
        termios quiet = saved_;
        quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
        quiet.c_lflag |= ECHONL;
        if (::tcsetattr(fd, TCSAFLUSH, &quiet) == 0)
            fd_ = fd;
    }
    ~NoEcho() {
        if (fd_ >= 0)
            ::tcsetattr(fd_, TCSAFLUSH, &saved_);
    }
    NoEcho(const NoEcho&) = delete;
    NoEcho& operator=(const NoEcho&) = delete;

private:
    int fd_ = -1;
    termios saved_{};
};

std::optional<std::string> ReadLine(std::istream& in) {
    std::string line;
    if (!std::getline(in, line))
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

}  // namespace

bool IsUsableWebUser(const std::string& user) {
    return !user.empty() && user.size() <= 64 && PrintableUtf8(user, user.size()) == user &&
           TrimBlanks(user).size() == user.size();
}

int WebPasswordCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                       std::ostream& err, int inputFd) {
    if (args.size() > 1 || (!args.empty() && args[0].rfind("-", 0) == 0)) {
        err << "Usage: orvia web-password [USER]\n";
        return 2;
    }
    const std::string& settings = Store().SettingsFile();
    const std::string user =
        args.empty() ? ReadProfileString(settings, kWebSection, "user", "") : args[0];
    if (user.empty()) {
        err << "orvia web-password: no user name is set yet; name one: orvia web-password USER\n";
        return 1;
    }
    if (!IsUsableWebUser(user)) {
        err << "orvia web-password: \"" << PrintableUtf8(user, 64)
            << "\" cannot be a user name (1 to 64 printable characters, no blanks at the ends)\n";
        return 1;
    }
    std::optional<std::string> first;
    std::optional<std::string> second;
    {
        const NoEcho quiet(inputFd);
        out << "New password for the web view user \"" << user << "\": " << std::flush;
        first = ReadLine(in);
        out << "Again: " << std::flush;
        second = first ? ReadLine(in) : std::nullopt;
    }
    if (!first || !second) {
        err << "orvia web-password: the password was not given twice; nothing was changed\n";
        return 1;
    }
    if (*first != *second) {
        err << "orvia web-password: the two passwords differ; nothing was changed\n";
        return 1;
    }
    if (first->size() < kMinWebPasswordLength) {
        err << "orvia web-password: the password is shorter than " << kMinWebPasswordLength
            << " characters; nothing was changed\n";
        return 1;
    }
    const std::optional<std::string> hash = HashPassword(*first);
    if (!hash) {
        err << "orvia web-password: the password could not be hashed (libsodium)\n";
        return 1;
    }
    if (!Store().CreateFolders() ||
        !WriteProfileKeys(settings, kWebSection, {{"user", user}, {"passwordhash", *hash}})) {
        err << "orvia web-password: " << settings << " could not be written; nothing was changed\n";
        return 1;
    }
    out << "The web view's password for \"" << user << "\" is set in " << settings << ".\n";
    if (!ReadProfileBool(settings, kWebSection, "enabled", false))
        out << "The web view is off: set enabled=true in its [web] section and restart Orvia.\n";
    return 0;
}

}  // namespace orvia
