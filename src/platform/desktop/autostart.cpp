#include "platform/desktop/autostart.h"

#include "platform/diagnostics/diagnostics.h"
#include "platform/files/program_location.h"
#include "platform/files/text_file.h"
#include "platform/files/user_paths.h"

namespace orvia {
namespace {

// The program path as one argument of a desktop entry's Exec key: quoted when
// it holds a character the key reserves, with the quoting backslashes then
// escaped again at the level of the entry's string value, and "%" doubled so
// it is not read as a field code.
std::string ExecArgument(const std::string& path) {
    static const std::string reserved = " \t\"'\\><~|&;$*?#()`";
    const bool quote = path.find_first_of(reserved) != std::string::npos;
    std::string out;
    if (quote)
        out.push_back('"');
    for (char c : path) {
        if (c == '%') {
            out += "%%";
        } else if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) {
            out += "\\\\";  // the quoting backslash, escaped for the string value
            out += c == '\\' ? "\\\\" : std::string(1, c);
        } else {
            out.push_back(c);
        }
    }
    if (quote)
        out.push_back('"');
    return out;
}

}  // namespace

AutostartPaths DefaultAutostartPaths() {
    return {UserConfigHome(), FindProgramToStart().path};
}

std::string AutostartEntryText(const std::string& programPath) {
    if (programPath.empty() || programPath[0] != '/' ||
        programPath.find_first_of("\r\n") != std::string::npos)
        return {};
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Orvia\n"
           "Comment=Telephone answering machine\n"
           "Exec=" +
           ExecArgument(programPath) +
           " /logon\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

std::string LogonAutostart::EntryPath() const {
    if (paths_.configHome.empty())
        return {};
    std::string home = paths_.configHome;
    if (home.back() != '/')
        home.push_back('/');
    return home + "autostart/orvia.desktop";
}

bool LogonAutostart::IsRunAtLogon() const {
    const std::string path = EntryPath();
    return !path.empty() && FileIsPresent(path);
}

bool LogonAutostart::SetRunAtLogon(bool on) {
    const std::string path = EntryPath();
    if (path.empty())
        return false;
    if (!on)
        return RemoveFileIfPresent(path);
    const std::string text = AutostartEntryText(paths_.programPath);
    return !text.empty() && ReplaceTextFile(path, text);
}

bool IsRunAtLogon() {
    return LogonAutostart(DefaultAutostartPaths()).IsRunAtLogon();
}

bool SetRunAtLogon(bool on) {
    const ProgramToStart program = FindProgramToStart();
    if (on && program.path.empty()) {
        ReportError("program", "start at logon not set up: " + program.problem);
        return false;
    }
    return LogonAutostart({UserConfigHome(), program.path}).SetRunAtLogon(on);
}

}  // namespace orvia
