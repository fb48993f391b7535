// The call script language of `orvia simulate`.
#include "app/simulate/simulation_script.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "audio/pcm_file_sink.h"
#include "platform/time/clock.h"
#include "temp_dir.h"

namespace orvia {
namespace {

using ::testing::HasSubstr;

// A loader that knows one file and remembers what it was asked for.
struct FakeVoices {
    std::vector<std::string> asked;
    VoiceLoader Loader() {
        return [this](const std::string& path, std::vector<int16_t>* samples, std::string* error) {
            asked.push_back(path);
            if (path.find("hello.wav") == std::string::npos) {
                *error = "not found";
                return false;
            }
            samples->assign(800, 100);
            return true;
        };
    }
};

TEST(SimulationScriptTest, ReadsEveryStatement) {
    FakeVoices voices;
    SimulationScript script;
    std::string error;
    const char* text =
        "# a call to the sales menu\r\n"
        "caller 5551234 Jane Q. Public   # the caller id\r\n"
        "line 5\n"
        "clock 2024-01-15 08:59:50\n"
        "rings 4\n"
        "limit 120.5\n"
        "\n"
        "   at 2 press 1#   # menu key, then end\n"
        "at 2.25 say hello.wav\n"
        "at 3.125 silence\n"
        "at 4 FAX\n"
        "at 5 data\n"
        "at 6 busy\n"
        "at 7 press #\n"
        "at 8 hangup\n";
    ASSERT_TRUE(ParseSimulationScript(text, "/scripts/", voices.Loader(), &script, &error))
        << error;
    EXPECT_EQ(script.call.callerId.number, "5551234");
    EXPECT_EQ(script.call.callerId.name, "Jane Q. Public");
    EXPECT_FALSE(script.call.callerId.blocked);
    EXPECT_EQ(script.lineIndex, 5);
    LocalFields fields;
    fields.year = 2024;
    fields.month = 1;
    fields.day = 15;
    fields.hour = 8;
    fields.minute = 59;
    fields.second = 50;
    EXPECT_EQ(script.clock, MakeLocalSeconds(fields));
    EXPECT_EQ(script.call.rings, 4);
    EXPECT_EQ(script.call.limitMs, 120500);

    const auto& actions = script.call.actions;
    ASSERT_EQ(actions.size(), 8u);
    EXPECT_EQ(actions[0].atMs, 2000);
    EXPECT_EQ(actions[0].kind, CallerActionKind::Press);
    EXPECT_EQ(actions[0].keys, "1#");
    EXPECT_EQ(actions[1].atMs, 2250);
    EXPECT_EQ(actions[1].kind, CallerActionKind::Say);
    EXPECT_EQ(actions[1].label, "hello.wav");
    ASSERT_TRUE(actions[1].voice);
    EXPECT_EQ(actions[1].voice->size(), 800u);
    EXPECT_EQ(voices.asked, std::vector<std::string>{"/scripts/hello.wav"});
    EXPECT_EQ(actions[2].atMs, 3125);
    EXPECT_EQ(actions[2].kind, CallerActionKind::Silence);
    EXPECT_EQ(actions[3].kind, CallerActionKind::Fax);
    EXPECT_EQ(actions[4].kind, CallerActionKind::Data);
    EXPECT_EQ(actions[5].kind, CallerActionKind::Busy);
    EXPECT_EQ(actions[6].keys, "#");
    EXPECT_EQ(actions[7].kind, CallerActionKind::HangUp);
}

TEST(SimulationScriptTest, DefaultsAndWithheldCallerIds) {
    FakeVoices voices;
    SimulationScript script;
    std::string error;
    ASSERT_TRUE(ParseSimulationScript("", "", voices.Loader(), &script, &error));
    EXPECT_TRUE(script.call.callerId.number.empty());
    EXPECT_EQ(script.lineIndex, 0);
    EXPECT_FALSE(script.clock);
    EXPECT_EQ(script.call.rings, 10);
    EXPECT_EQ(script.call.limitMs, kScriptedCallLimitMs);

    ASSERT_TRUE(ParseSimulationScript("caller blocked", "", voices.Loader(), &script, &error));
    EXPECT_TRUE(script.call.callerId.blocked);
    ASSERT_TRUE(ParseSimulationScript("caller OutOfArea", "", voices.Loader(), &script, &error));
    EXPECT_TRUE(script.call.callerId.outOfArea);
    // Lower-case keys are the same keys.
    ASSERT_TRUE(ParseSimulationScript("at 0 press abcd", "", voices.Loader(), &script, &error));
    EXPECT_EQ(script.call.actions[0].keys, "ABCD");
}

TEST(SimulationScriptTest, MistakesAreReportedWithTheirLine) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"dial 123", "1: unknown statement \"dial\""},
        {"line 64", "1: \"line\" needs a number from 0 to 63"},
        {"line -1", "1: \"line\" needs a number"},
        {"line 2 3", "1: \"line\" needs a number"},
        {"rings many", "1: \"rings\" needs a number"},
        {"line 1\nline 2", "2: \"line\" is given twice"},
        {"caller", "1: \"caller\" needs a number"},
        {"caller blocked 555", "1: \"caller blocked\" takes nothing more"},
        {"clock 2024-02-30 10:00:00", "1: \"clock\" needs a date and time"},
        {"clock 2024-01-15 24:00:00", "1: \"clock\" needs a date and time"},
        {"clock 2024-01-15", "1: \"clock\" needs a date and time"},
        {"limit 1.2345", "1: \"limit\" needs a number of seconds"},
        {"limit 86401", "1: \"limit\" needs a number of seconds"},
        {"\n\nat", "3: \"at\" needs a time in seconds and an action"},
        {"at 1.5.0 hangup", "1: \"at\" needs a time"},
        {"at -1 hangup", "1: \"at\" needs a time"},
        {"at 1 jump", "1: unknown action \"jump\""},
        {"at 1 press 12x", "1: \"press\" needs keys"},
        {"at 1 press 1 2", "1: \"press\" needs keys"},
        {"at 1 press", "1: \"press\" needs keys"},
        {"at 1 hangup now", "1: \"hangup\" takes nothing more"},
        {"at 1 say", "1: \"say\" needs a WAVE file"},
        {"at 1 say missing.wav", "1: cannot use \"missing.wav\": not found"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        FakeVoices voices;
        SimulationScript script;
        std::string error;
        EXPECT_FALSE(ParseSimulationScript(c.text, "", voices.Loader(), &script, &error));
        EXPECT_THAT(error, HasSubstr(c.message));
    }
}

TEST(SimulationScriptTest, VoiceFilesAreConvertedToTheCallsFormat) {
    test::TempDir dir;
    {
        // One second of stereo at 16000 frames a second, a steady level.
        LSoundSink sink = CreatePCMWaveSink(dir.Path() + "voice.wav", 16000, 2, 16, 0);
        ASSERT_FALSE(IsInvalid(sink));
        std::vector<int32_t> block(16000 * 2, 1000 * 16);
        sink->Write(block.data(), 16000);
    }
    ASSERT_TRUE(test::WriteFile(dir.Path() + "call.txt", "at 1 say voice.wav\n"));
    ASSERT_TRUE(test::WriteFile(dir.Path() + "noise.wav", "RIFF but not really"));

    SimulationScript script;
    std::string error;
    ASSERT_TRUE(LoadSimulationScript(dir.Path() + "call.txt", WaveVoiceLoader(), &script, &error))
        << error;
    ASSERT_EQ(script.call.actions.size(), 1u);
    const auto& voice = *script.call.actions[0].voice;
    EXPECT_NEAR(static_cast<double>(voice.size()), 8000.0, 8.0);
    EXPECT_NEAR(voice[voice.size() / 2], 1000, 2);

    ASSERT_TRUE(test::WriteFile(dir.Path() + "bad.txt", "at 1 say noise.wav\n"));
    EXPECT_FALSE(LoadSimulationScript(dir.Path() + "bad.txt", WaveVoiceLoader(), &script, &error));
    EXPECT_THAT(error, HasSubstr("bad.txt:1: cannot use \"noise.wav\""));

    EXPECT_FALSE(LoadSimulationScript(dir.Path() + "none.txt", WaveVoiceLoader(), &script, &error));
    EXPECT_THAT(error, HasSubstr("none.txt: cannot be read"));
    EXPECT_FALSE(LoadSimulationScript(dir.Path(), WaveVoiceLoader(), &script, &error));
}

}  // namespace
}  // namespace orvia
