#include "app/startup/command_line.h"

#include <gtest/gtest.h>

#include "platform/desktop/autostart.h"
#include "platform/desktop/service_unit.h"
#include "platform/process/process_command_line.h"

namespace orvia {
namespace {

struct Case {
    std::vector<std::string> args;
    StartMode mode;
    bool yes = false;
};

TEST(StartOptions, FirstArgumentSelectsTheMode) {
    const Case cases[] = {
        {{}, StartMode::Window},
        {{"/service"}, StartMode::Service},
        {{"--service"}, StartMode::Service},
        {{"/logon"}, StartMode::Logon},
        {{"--logon"}, StartMode::Logon},
        {{"x/logon"}, StartMode::Logon},  // contained, as the slash switches are
        {{"/install"}, StartMode::Install},
        {{"--install"}, StartMode::Install},
        {{"/uninstall"}, StartMode::Uninstall},  // not taken for "/install"
        {{"--uninstall"}, StartMode::Uninstall},
        {{"--uninstall", "--yes"}, StartMode::Uninstall, true},
        {{"/uninstall", "-y"}, StartMode::Uninstall, true},
        {{"--help"}, StartMode::Help},
        {{"-h"}, StartMode::Help},
        // Case-sensitive, whole-word dashes, nothing unknown accepted.
        {{"/SERVICE"}, StartMode::Invalid},
        {{"--Service"}, StartMode::Invalid},
        {{"--service-now"}, StartMode::Invalid},
        {{"bogus"}, StartMode::Invalid},
        {{"--install", "--yes"}, StartMode::Invalid},
        {{"--service", "extra"}, StartMode::Invalid},
    };
    for (const Case& c : cases) {
        std::string label;
        for (const std::string& a : c.args)
            label += a + " ";
        SCOPED_TRACE(label);
        const StartOptions options = ParseStartOptions(c.args);
        EXPECT_EQ(options.mode, c.mode);
        EXPECT_EQ(options.assumeYes, c.yes);
        EXPECT_EQ(options.error.empty(), c.mode != StartMode::Invalid);
    }
}

// What the registrations write is what the program understands.
TEST(StartOptions, AutostartEntryAndServiceUnitStartTheirModes) {
    const std::string entry = AutostartEntryText("/opt/orvia dir/orvia");
    const std::size_t exec = entry.find("\nExec=");
    ASSERT_NE(exec, std::string::npos);
    const std::string execLine = entry.substr(exec + 6, entry.find('\n', exec + 1) - exec - 6);
    std::vector<std::string> args = SplitCommandLine(execLine);
    ASSERT_EQ(args.size(), 2u);
    EXPECT_EQ(args[0], "/opt/orvia dir/orvia");
    EXPECT_EQ(ParseStartOptions({args.begin() + 1, args.end()}).mode, StartMode::Logon);

    ServicePaths paths;
    paths.programPath = "/usr/bin/orvia";
    paths.unitFolder = "/unused/";
    const std::string unit = ServiceUnitText(paths);
    const std::size_t start = unit.find("\nExecStart=");
    ASSERT_NE(start, std::string::npos);
    args = SplitCommandLine(unit.substr(start + 11, unit.find('\n', start + 1) - start - 11));
    ASSERT_EQ(args.size(), 2u);
    EXPECT_EQ(ParseStartOptions({args.begin() + 1, args.end()}).mode, StartMode::Service);
}

TEST(StartOptions, UsageNamesEverySwitchAndTheSimulator) {
    const std::string usage = UsageText();
    for (const char* word : {"--service", "/service", "--logon", "/logon", "--install", "/install",
                             "--uninstall", "/uninstall", "--yes", "--help", "simulate SCRIPT"})
        EXPECT_NE(usage.find(word), std::string::npos) << word;
}

}  // namespace
}  // namespace orvia
