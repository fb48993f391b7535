// The worked examples of docs/call-flows.md, each as the guide tells a user
// to try it: its settings.ini, OGMs and mailboxes copied into a data folder
// that has system prompts, then `orvia check` (no finding at all) and
// `orvia simulate` of each of its call scripts, whose transcripts must be
// the ones kept beside the scripts (calls/<name>.transcript).
//
// The prompts here are one-second tones, so the transcripts' times do not
// depend on a speech engine.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "program_runner.h"

namespace orvia {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::RunProgramToEnd;

constexpr const char* kExamples[] = {"departments", "business-hours", "number-check"};

std::string ExamplesFolder() {
    const char* source = std::getenv("ORVIA_SOURCE_DIR");
    return std::string(source ? source : ".") + "/docs/call-flows/";
}

class CallFlowExamplesTest : public test::ProgramFolderTest {
protected:
    // A fresh data folder holding the example, made the current one.
    void Prepare(const std::string& example, const std::string& folderName) {
        const std::string data = dir_.Path() + folderName + "/";
        Set("ORVIA_DATA", data);
        test::PrepareExampleData(ExamplesFolder() + example + "/", data);
    }
};

TEST_F(CallFlowExamplesTest, EachExamplePassesTheCheckAndItsCallsGiveTheirTranscripts) {
    for (const char* example : kExamples) {
        SCOPED_TRACE(example);
        ASSERT_NO_FATAL_FAILURE(Prepare(example, std::string(example) + "-check"));
        const test::ProgramRun check = RunProgramToEnd({"check"});
        EXPECT_EQ(check.status, 0) << check.output;
        EXPECT_NE(check.output.find(": 0 errors, 0 warnings\n"), std::string::npos) << check.output;

        const std::string calls = ExamplesFolder() + example + "/calls/";
        int scripts = 0;
        for (const auto& entry : fs::directory_iterator(calls)) {
            if (entry.path().extension() != ".call")
                continue;
            ++scripts;
            const std::string name = entry.path().stem().string();
            SCOPED_TRACE(name);
            ASSERT_NO_FATAL_FAILURE(Prepare(example, std::string(example) + "-" + name));
            const test::ProgramRun call = RunProgramToEnd({"simulate", entry.path().string()});
            const std::string expected = ReadFile(calls + name + ".transcript");
            ASSERT_FALSE(expected.empty());
            EXPECT_EQ(call.status, 0);
            EXPECT_EQ(call.output, expected);
        }
        EXPECT_GE(scripts, 2);
    }
}

}  // namespace
}  // namespace orvia
