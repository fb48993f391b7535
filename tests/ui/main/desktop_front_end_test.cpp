// Which front end a start gets, and the platforms Qt is asked to try.
#include <gtest/gtest.h>

#include <string>

#include "scoped_environment.h"
#include "ui/main/desktop_front_end.h"

namespace orvia {
namespace {

using test::ScopedEnvironment;

struct StartCase {
    StartMode mode;
    const char* display;
    const char* wayland;
    bool desktop;
};

TEST(DesktopFrontEndTest, ADisplayAndAWindowOrLogonStartMakeTheDesktop) {
    const StartCase cases[] = {
        {StartMode::Window, ":0", nullptr, true},
        {StartMode::Logon, ":0", nullptr, true},
        {StartMode::Window, nullptr, "wayland-0", true},
        {StartMode::Window, "", "", false},
        {StartMode::Window, nullptr, nullptr, false},
        {StartMode::Logon, nullptr, nullptr, false},
        {StartMode::Service, ":0", "wayland-0", false},
        {StartMode::Install, ":0", nullptr, false},
        {StartMode::Uninstall, ":0", nullptr, false},
        {StartMode::Help, ":0", nullptr, false},
    };
    for (const StartCase& c : cases) {
        ScopedEnvironment env;
        env.Set("DISPLAY", c.display);
        env.Set("WAYLAND_DISPLAY", c.wayland);
        EXPECT_EQ(DesktopWanted(c.mode), c.desktop)
            << static_cast<int>(c.mode) << " " << (c.display ? c.display : "-") << " "
            << (c.wayland ? c.wayland : "-");
    }
}

struct PlatformCase {
    const char* platform;  // QT_QPA_PLATFORM
    const char* wayland;   // WAYLAND_DISPLAY
    const char* session;   // XDG_SESSION_TYPE
    const char* desktop;   // XDG_CURRENT_DESKTOP
    const char* list;
};

TEST(DesktopFrontEndTest, ThePlatformListAlwaysEndsInOneThatNeedsNoDisplay) {
    const PlatformCase cases[] = {
        {nullptr, nullptr, nullptr, nullptr, "xcb;minimal"},
        {nullptr, "wayland-0", nullptr, "KDE", "wayland;xcb;minimal"},
        {nullptr, nullptr, "wayland", nullptr, "wayland;xcb;minimal"},
        {nullptr, "wayland-0", "wayland", "ubuntu:GNOME", "xcb;minimal"},
        {"offscreen", "wayland-0", nullptr, nullptr, "offscreen;minimal"},
        {"wayland", nullptr, nullptr, nullptr, "wayland;minimal"},
    };
    for (const PlatformCase& c : cases) {
        ScopedEnvironment env;
        env.Set("QT_QPA_PLATFORM", c.platform);
        env.Set("WAYLAND_DISPLAY", c.wayland);
        env.Set("XDG_SESSION_TYPE", c.session);
        env.Set("XDG_CURRENT_DESKTOP", c.desktop);
        env.Set("XDG_SESSION_DESKTOP", nullptr);
        EXPECT_EQ(DesktopPlatformList(), c.list);
    }
}

}  // namespace
}  // namespace orvia
