#include "platform/process/process_child.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>

#include "temp_dir.h"
#include "wait_until.h"

namespace orvia {
namespace {

using test::FileExists;
using test::TempDir;
using test::WaitUntil;

// The state letter of /proc/<pid>/stat ('Z' for a zombie); 0 when the process
// is gone.
char ProcessState(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto paren = text.rfind(')');
    if (paren == std::string::npos || paren + 2 >= text.size())
        return 0;
    return text[paren + 2];
}

TEST(ChildProcess, PluginOutputIsReadBackExactlyAndTheExitCodeKept) {
    ChildProcess child;
    ASSERT_EQ(child.StartCommandLine("printf %s name=John+Smith&acct=12%2634"),
              ProcessStartResult::Started);
    const ProcessOutput out = child.ReadOutput(255, 10000);
    EXPECT_EQ(out.status, OutputReadStatus::EndOfOutput);
    EXPECT_EQ(out.data, "name=John+Smith&acct=12%2634");
    int code = -2;
    ASSERT_TRUE(child.WaitForExit(10000, &code));
    EXPECT_EQ(code, 0);
}

TEST(ChildProcess, OutputWrittenInPiecesIsCollectedUntilTheEnd) {
    ChildProcess child;
    ASSERT_EQ(child.Start({"/bin/sh", "-c", "printf ab; sleep 0.05; printf cd; exit 3"}),
              ProcessStartResult::Started);
    const ProcessOutput out = child.ReadOutput(255, 10000);
    EXPECT_EQ(out.status, OutputReadStatus::EndOfOutput);
    EXPECT_EQ(out.data, "abcd");
    int code = -2;
    ASSERT_TRUE(child.WaitForExit(10000, &code));
    EXPECT_EQ(code, 3);
}

TEST(ChildProcess, ReadStopsAtMaxBytesAndGoesOnWhereItStopped) {
    ChildProcess child;
    ASSERT_EQ(child.Start({"/bin/sh", "-c",
                           "i=0; while [ $i -lt 30 ]; do printf 0123456789; "
                           "i=$((i+1)); done"}),
              ProcessStartResult::Started);
    const ProcessOutput first = child.ReadOutput(255, 10000);
    EXPECT_EQ(first.status, OutputReadStatus::Full);
    EXPECT_EQ(first.data.size(), 255u);
    const ProcessOutput rest = child.ReadOutput(255, 10000);
    EXPECT_EQ(rest.status, OutputReadStatus::EndOfOutput);
    std::string expected;
    for (int i = 0; i < 30; ++i)
        expected += "0123456789";
    EXPECT_EQ(first.data + rest.data, expected);
}

TEST(ChildProcess, HangingPluginIsAbandonedAfterTheBoundAndReapedWhenItEnds) {
    ChildProcess child;
    ASSERT_EQ(child.StartCommandLine("sleep 30"), ProcessStartResult::Started);
    const pid_t pid = child.Pid();

    const auto start = std::chrono::steady_clock::now();
    const ProcessOutput out = child.ReadOutput(255, 100);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(out.status, OutputReadStatus::TimedOut);
    EXPECT_TRUE(out.data.empty());
    EXPECT_LT(waited, std::chrono::seconds(10));  // bounded, not waiting for the child

    child.Close();
    EXPECT_FALSE(child.IsStarted());
    // Abandoned, not killed: it is still running on its own.
    const char state = ProcessState(pid);
    EXPECT_TRUE(state == 'S' || state == 'R') << "state " << state;

    // Once it ends, the reaper collects it: no zombie stays behind.
    ASSERT_EQ(::kill(pid, SIGKILL), 0);
    EXPECT_TRUE(WaitUntil([&] { return ProcessState(pid) == 0; }))
        << "left in state " << ProcessState(pid);
}

TEST(ChildProcess, ChildThatEndsOnItsOwnAfterCloseIsReaped) {
    pid_t pid;
    {
        ChildProcess child;
        ASSERT_EQ(child.Start({"/bin/sh", "-c", "sleep 0.1"}), ProcessStartResult::Started);
        pid = child.Pid();
    }  // the destructor lets it go while it still runs
    EXPECT_TRUE(WaitUntil([&] { return ProcessState(pid) == 0; }))
        << "left in state " << ProcessState(pid);
}

TEST(ChildProcess, StartFailuresAreResults) {
    TempDir dir;
    const std::string notExecutable = dir.Path() + "plugin.sh";
    ASSERT_TRUE(test::WriteFile(notExecutable, "#!/bin/sh\necho hi\n"));
    ::chmod(notExecutable.c_str(), 0644);

    struct Case {
        std::vector<std::string> args;
        ProcessStartResult expected;
    };
    const Case cases[] = {
        {{}, ProcessStartResult::EmptyCommand},
        {{""}, ProcessStartResult::EmptyCommand},
        {{"orvia-no-such-plugin-program"}, ProcessStartResult::NotFound},
        {{dir.Path() + "missing"}, ProcessStartResult::NotFound},
        {{notExecutable}, ProcessStartResult::NotExecutable},
        {{dir.Path()}, ProcessStartResult::NotExecutable},
    };
    for (const Case& c : cases) {
        ChildProcess child;
        EXPECT_EQ(child.Start(c.args), c.expected) << (c.args.empty() ? "" : c.args[0]);
        EXPECT_FALSE(child.IsStarted());
        EXPECT_EQ(child.ReadOutput(255, 0).status, OutputReadStatus::NoPipe);
        EXPECT_FALSE(child.WaitForExit(0));
    }
    ChildProcess blank;
    EXPECT_EQ(blank.StartCommandLine("   "), ProcessStartResult::EmptyCommand);
}

TEST(ChildProcess, ShellMetacharactersReachTheChildLiterally) {
    TempDir dir;
    const std::string d = dir.Path();
    const std::string args = "$(touch " + d + "x) `touch " + d + "y` ; touch " + d + "z > " + d +
                             "w && touch " + d + "v | cat";
    ChildProcess child;
    ASSERT_EQ(child.StartCommandLine("/bin/echo " + args), ProcessStartResult::Started);
    const ProcessOutput out = child.ReadOutput(4096, 10000);
    EXPECT_EQ(out.data, args + "\n");
    ASSERT_TRUE(child.WaitForExit(10000));
    for (const char* name : {"x", "y", "z", "w", "v"})
        EXPECT_FALSE(FileExists(d + name)) << name;
}

TEST(ChildProcess, ChildGetsNullInputAndNoInheritedDescriptors) {
    // A descriptor the parent opened without close-on-exec must not leak.
    const int plain = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(plain, 0);
    const int leaked = ::fcntl(plain, F_DUPFD, 40);
    ::close(plain);
    ASSERT_GE(leaked, 40);

    ChildProcess child;
    ASSERT_EQ(child.Start({"/bin/sh", "-c", "cat; ls /proc/self/fd"}), ProcessStartResult::Started);
    const ProcessOutput out = child.ReadOutput(4096, 10000);
    ::close(leaked);
    EXPECT_EQ(out.status, OutputReadStatus::EndOfOutput);
    // "cat" ends at once on /dev/null; ls sees 0 to 2 and the folder it lists.
    std::istringstream lines(out.data);
    std::vector<int> fds;
    for (std::string line; std::getline(lines, line);)
        fds.push_back(std::stoi(line));
    EXPECT_EQ(fds, (std::vector<int>{0, 1, 2, 3}));
}

TEST(ChildProcess, ExitCodesIncludeSignals) {
    ChildProcess child;
    ASSERT_EQ(child.Start({"/bin/sh", "-c", "kill -9 $$"}), ProcessStartResult::Started);
    int code = 0;
    ASSERT_TRUE(child.WaitForExit(10000, &code));
    EXPECT_EQ(code, 128 + SIGKILL);
    EXPECT_TRUE(child.WaitForExit(0, &code));  // asking again gives the same answer
    EXPECT_EQ(code, 128 + SIGKILL);
}

TEST(ChildProcess, MovedProcessKeepsItsPipe) {
    ChildProcess first;
    ASSERT_EQ(first.Start({"printf", "moved"}), ProcessStartResult::Started);
    ChildProcess second(std::move(first));
    EXPECT_FALSE(first.IsStarted());
    EXPECT_EQ(first.ReadOutput(10, 0).status, OutputReadStatus::NoPipe);
    EXPECT_EQ(second.ReadOutput(255, 10000).data, "moved");
}

}  // namespace
}  // namespace orvia
