// The orvia program run as a process by a test, in a data folder, runtime
// folder and config folder of the test's own.
#pragma once

#include <sys/types.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/process/process_child.h"
#include "scoped_environment.h"
#include "store/settings_store.h"
#include "temp_dir.h"

namespace orvia::test {

// Bounds against a hung program, not speed checks.
inline constexpr int kStartBoundMs = 60000;
inline constexpr int kExitBoundMs = 60000;

class Program {
public:
    // Starts the program with args (standard error goes nowhere).
    explicit Program(std::vector<std::string> args);
    // A program a failed test left running is ended, so no test leaves a
    // process behind.
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const { return started_; }
    pid_t Pid() const { return child_.Pid(); }

    // Reads the program's output until it holds text; false when the program
    // ended or the bound passed first.
    bool WaitForOutput(const std::string& text, int boundMs = kStartBoundMs);
    // The exit status once the program ended (its output read to the end);
    // -1 when it did not end within the bound.
    int Finish(int boundMs = kExitBoundMs);

    const std::string& Output() const { return output_; }

private:
    ChildProcess child_;
    bool started_ = false;
    bool ended_ = false;
    std::string output_;
};

// The exit status and output of one short run.
struct ProgramRun {
    int status = -1;
    std::string output;
};
ProgramRun RunProgramToEnd(const std::vector<std::string>& args);

// A WAVE file that plays: a square tone, 8000 Hz mono 16-bit, ms long.
bool WriteTone(const std::string& path, int ms);

// Makes dataFolder hold a worked example of the call-flow guide: the
// example's settings.ini, OGMs and mailboxes (from exampleFolder, ending in
// "/"), one-second tones as the system prompts (so transcripts do not depend
// on a speech engine) and a simulated line. Fails the test when a file
// cannot be copied or written.
void PrepareExampleData(const std::string& exampleFolder, const std::string& dataFolder);

// A data folder with stand-ins for the installed data (so the program does
// not spend its start on speech synthesis) and a simulated line; ORVIA_DATA,
// ORVIA_FOLDERS, XDG_RUNTIME_DIR and XDG_CONFIG_HOME point into the test's
// folder while it runs.
class ProgramFolderTest : public ::testing::Test {
protected:
    void SetUp() override;

    void Set(const char* name, const char* value) { env_.Set(name, value); }
    void Set(const char* name, const std::string& value) { env_.Set(name, value); }
    // The day's log (of today, yesterday or tomorrow: a test may run over midnight).
    std::string TodaysLog() const;

    TempDir dir_;
    SettingsStore store_;
    ScopedEnvironment env_;
};

}  // namespace orvia::test
