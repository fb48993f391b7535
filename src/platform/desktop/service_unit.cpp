#include "platform/desktop/service_unit.h"

#include <unistd.h>

#include <utility>

#include "platform/diagnostics/diagnostics.h"
#include "platform/files/program_location.h"
#include "platform/files/text_file.h"
#include "platform/files/user_paths.h"

namespace orvia {
namespace {

// The program path as the first word of ExecStart: "%" doubled (unit
// specifiers); quoted, with "\" and "\"" escaped, when it holds a blank, a
// quote or a backslash.
std::string ExecStartArgument(const std::string& path) {
    const bool quote = path.find_first_of(" \t\"'\\") != std::string::npos;
    std::string out;
    if (quote)
        out.push_back('"');
    for (char c : path) {
        if (c == '%')
            out.push_back(c);
        else if (c == '\\' || c == '"')
            out.push_back('\\');
        out.push_back(c);
    }
    if (quote)
        out.push_back('"');
    return out;
}

}  // namespace

ServicePaths DefaultServicePaths() {
    ServicePaths paths;
    paths.programPath = FindProgramToStart().path;
    if (::geteuid() == 0) {
        paths.unitFolder = "/etc/systemd/system/";
        paths.userUnit = false;
    } else {
        const std::string config = UserConfigHome();
        paths.unitFolder = config.empty() ? std::string() : config + "systemd/user/";
        paths.userUnit = true;
    }
    return paths;
}

std::string ServiceUnitText(const ServicePaths& paths) {
    const std::string& program = paths.programPath;
    // systemd expands "$" in some places of a command line and not in others,
    // so a path holding one is refused rather than guessed at.
    if (program.empty() || program[0] != '/' || program.find_first_of("\r\n$") != std::string::npos)
        return {};
    std::string text =
        "[Unit]\n"
        "Description=Orvia telephone answering machine\n";
    if (!paths.userUnit) {
        text +=
            "Wants=network-online.target\n"
            "After=network-online.target sound.target\n";
    }
    text +=
        "\n"
        "[Service]\n"
        "Type=simple\n"
        "ExecStart=" +
        ExecStartArgument(program) +
        " /service\n"
        "Restart=on-failure\n"
        "\n"
        "[Install]\n";
    text += paths.userUnit ? "WantedBy=default.target\n" : "WantedBy=multi-user.target\n";
    return text;
}

std::string ServiceRegistration::UnitPath() const {
    if (paths_.unitFolder.empty())
        return {};
    std::string folder = paths_.unitFolder;
    if (folder.back() != '/')
        folder.push_back('/');
    return folder + kUnitName;
}

bool ServiceRegistration::IsService() const {
    const std::string path = UnitPath();
    return !path.empty() && FileIsPresent(path);
}

bool ServiceRegistration::Systemctl(const char* verb, bool withUnit) {
    std::vector<std::string> command{"systemctl"};
    if (paths_.userUnit)
        command.push_back("--user");
    command.push_back(verb);
    if (withUnit)
        command.push_back(kUnitName);
    return runner_.Run(command);
}

bool ServiceRegistration::SetService(bool on) {
    const std::string path = UnitPath();
    if (path.empty())
        return false;
    if (on) {
        if (IsService())
            return true;
        const std::string text = ServiceUnitText(paths_);
        if (text.empty() || !ReplaceTextFile(path, text))
            return false;
        if (Systemctl("daemon-reload", false) && Systemctl("enable", true))
            return true;
        RemoveFileIfPresent(path);
        Systemctl("daemon-reload", false);
        return false;
    }
    if (!IsService())
        return true;
    const bool disabled = Systemctl("disable", true);
    const bool removed = RemoveFileIfPresent(path);
    const bool reloaded = Systemctl("daemon-reload", false);
    return disabled && removed && reloaded;
}

bool IsService() {
    ProcessSystemdRunner runner;
    return ServiceRegistration(DefaultServicePaths(), runner).IsService();
}

bool SetService(bool on) {
    ServicePaths paths = DefaultServicePaths();
    if (on && paths.programPath.empty()) {
        ReportError("program", "service not set up: " + FindProgramToStart().problem);
        return false;
    }
    ProcessSystemdRunner runner;
    return ServiceRegistration(std::move(paths), runner).SetService(on);
}

}  // namespace orvia
