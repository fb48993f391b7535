#include "ui/main/desktop_front_end.h"

#include <QApplication>
#include <QGuiApplication>
#include <cstdlib>
#include <optional>
#include <ostream>

#include "app/core/console_view.h"
#include "app/qt/qt_event_loop.h"
#include "ui/framework/pictures.h"
#include "ui/main/desktop_view.h"
#include "ui/ogm/ogm_editor_dialogs.h"
#include "ui/record/desktop_new_audio.h"
#include "ui/settings/settings_sheet.h"
#include "ui/simulator/call_test_simulator.h"

namespace orvia {
namespace {

constexpr const char* kFallbackPlatform = "minimal";

bool Named(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0';
}

std::string Lower(const char* variable) {
    std::string text = Named(variable) ? std::getenv(variable) : "";
    for (char& c : text)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return text;
}

// Sets an environment variable for a scope, restoring what it was (so
// programs started later, such as xdg-open, see the user's own value).
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

}  // namespace

bool DesktopWanted(StartMode mode) {
    if (mode != StartMode::Window && mode != StartMode::Logon)
        return false;
    return Named("DISPLAY") || Named("WAYLAND_DISPLAY");
}

std::string DesktopPlatformList() {
    std::string list;
    if (Named("QT_QPA_PLATFORM")) {
        list = std::getenv("QT_QPA_PLATFORM");
    } else {
        const bool wayland = Named("WAYLAND_DISPLAY") || Lower("XDG_SESSION_TYPE") == "wayland";
        const bool gnome = Lower("XDG_CURRENT_DESKTOP").find("gnome") != std::string::npos ||
                           Lower("XDG_SESSION_DESKTOP").find("gnome") != std::string::npos;
        list = wayland && !gnome ? "wayland;xcb" : "xcb";
    }
    return list + ";" + kFallbackPlatform;
}

DesktopFrontEnd::DesktopFrontEnd(int& argc, char** argv, MainWindowDialogs dialogs)
    : argc_(argc), argv_(argv), dialogs_(std::move(dialogs)) {
    // The settings sheet and the Call Test Simulator.
    if (!dialogs_.settings)
        dialogs_.settings = OpenSettingsSheet;
    if (!dialogs_.callTestSimulator)
        dialogs_.callTestSimulator = RunCallTestSimulator;

    // The dialogs of the other UI parts, where the caller gave none.
    InstallOgmEditorDialogs(dialogs_);
}

std::unique_ptr<EventLoop> DesktopFrontEnd::MakeLoop() {
    const bool askedMinimal = Lower("QT_QPA_PLATFORM").rfind(kFallbackPlatform, 0) == 0;
    std::unique_ptr<QApplication> app;
    {
        const ScopedEnvironment platforms("QT_QPA_PLATFORM", DesktopPlatformList());
        app = std::make_unique<QApplication>(argc_, argv_);
    }
    hasDisplay_ = askedMinimal || QGuiApplication::platformName() != kFallbackPlatform;
    // The window hides into the tray and dialogs close while it is hidden:
    // only the core ends the program.
    app->setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName("Orvia");
    QApplication::setApplicationDisplayName("Orvia");
    QApplication::setDesktopFileName("orvia");
    InitUiResources();
    // Recording and speech for the OGM and mailbox dialogs.
    SetNewAudio(&DesktopNewAudioSources());
    return MakeQtEventLoop(std::move(app));
}

std::unique_ptr<MainWindowView> DesktopFrontEnd::MakeView(const LineBank& lines, std::ostream& out,
                                                          bool startHidden) {
    if (!hasDisplay_) {
        const char* display = Named("WAYLAND_DISPLAY") ? "WAYLAND_DISPLAY" : "DISPLAY";
        const char* value = std::getenv(display);
        out << "Orvia: cannot connect to the display (" << display << "="
            << (value != nullptr ? value : "") << "); running without a window" << std::endl;
        return std::make_unique<ConsoleView>(lines, out);
    }
    out << "Orvia: window on the " << QGuiApplication::platformName().toStdString() << " display"
        << (startHidden ? " (started in the background)" : "") << std::endl;
    return std::make_unique<DesktopView>(lines, out, startHidden, dialogs_);
}

}  // namespace orvia
