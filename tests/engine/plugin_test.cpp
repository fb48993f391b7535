// The "open" entry effect: files handed to the desktop, plug-in processes
// started without a shell, and their output read back into call variables.
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "audio/pcm_file_sink.h"
#include "audio/playback/sound_recorder.h"
#include "diagnostics_capture.h"
#include "engine/form_data_p.h"
#include "engine/ivr_notify.h"
#include "engine/template.h"
#include "engine_fixture.h"
#include "platform/dispatch/step_dispatcher.h"
#include "platform/process/process_reaper.h"
#include "platform/wave/call_devices.h"
#include "store/settings_store.h"

namespace orvia::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Pairs = std::vector<std::pair<std::string, std::string>>;

TEST(FormDataTest, DecodesPairsAfterSplitting) {
    struct Case {
        const char* text;
        Pairs pairs;
    } cases[] = {
        {"name=John+Smith&acct=12%2634", {{"name", "John Smith"}, {"acct", "12&34"}}},
        {"a%3Db=c%3d%3D", {{"a=b", "c=="}}},
        {"x=1=2&&=lost&flag", {{"x", "1=2"}, {"flag", ""}}},
        {"%41%6a%7e=%zz%4%", {{"Aj~", "%zz%4%"}}},
        {"path=..%2F..%2Fetc&nul=a%00b", {{"path", "../../etc"}, {"nul", std::string("a\0b", 3)}}},
        {"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(DecodeFormPairs(c.text), c.pairs);
    }
}

TEST(CommandLineTemplateTest, CallerValuesStayInsideTheirArgument) {
    IVRVariables variables;
    variables.Set("acct", "1 2 \"3\"");
    TemplateContext context;
    context.variables = &variables;
    context.callerNumber = "555 --all";
    using Args = std::vector<std::string>;
    EXPECT_EQ(ExpandCommandLine("\"/opt/my tool\" %cid% x%acct%", context),
              (Args{"/opt/my tool", "555 --all", "x1 2 \"3\""}));
    context.callerNumber = "../etc/passwd";
    EXPECT_EQ(ExpandCommandLine("/opt/tool %cid%", context), std::nullopt);
    EXPECT_EQ(ExpandCommandLine("/opt/tool ../%acct%", context),
              (Args{"/opt/tool", "../1 2 \"3\""}));
    EXPECT_EQ(ExpandCommandLine("", context), std::nullopt);
    EXPECT_EQ(ExpandCommandLine("\"\" arg", context), std::nullopt);
}

class PluginTest : public EngineTest {
protected:
    PluginTest() {
        Setting("settings", "ogm", "Main");
        OgmText("Main", "[ivr]\nopen=true\nopenplugin=true\npress1=go\npress1go=%name% %acct%\n");
        Recording("Main");
        EmptyOgm("John Smith 12&34");
        Recording("John Smith 12&34");
    }

    // An executable shell script in the data folder; its quoted path.
    std::string Script(const std::string& name, const std::string& body) {
        const std::string path = dir.Path() + name;
        EXPECT_TRUE(WriteFile(path, "#!/bin/sh\n" + body + "\n"));
        EXPECT_EQ(::chmod(path.c_str(), 0755), 0);
        return "\"" + path + "\"";
    }
    // A script that writes each argument as "[arg]" to args.txt, then out.
    std::string ArgsScript(const std::string& out) {
        return Script("args.sh", "for a in \"$@\"; do printf '[%s]' \"$a\"; done > \"" +
                                     dir.Path() + "args.txt\"\nprintf '%s' '" + out + "'");
    }
    // Ends the OGM's play and lets the engine take the plug-in's output,
    // which comes back through the dispatcher: it then waits for keys.
    void EndPlayWithPlugin() {
        ASSERT_TRUE(line.FinishPlay());
        ASSERT_TRUE(dispatcher.RunUntil(
            [&] { return line.CurrentActivity() != TestLine::Activity::Idle; }, 20000));
    }
    // Waits (with a generous guard) until the reaper holds no child.
    static bool AllChildrenReaped() {
        for (int i = 0; i < 1000; ++i) {
            if (ChildReaper::Instance().PendingCount() == 0)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
};

TEST_F(PluginTest, OutputBecomesCallVariablesAtTheEndOfThePlay) {
    Ogm("Main", "openfile", ArgsScript("name=John+Smith&acct=12%2634") + " %callername% %cid%");
    ASSERT_TRUE(line.Answer(5, "555", "Ann \"Lee\" x"));
    // Before the end of the play the output is not read.
    Keys("1");
    ASSERT_TRUE(line.FinishPlay());
    // A key pressed while the output is awaited counts once it is in.
    Keys("1");
    EXPECT_THAT(Ops(), ElementsAre(PlayOf("Main")));
    ASSERT_TRUE(dispatcher.RunUntil(
        [&] { return line.CurrentActivity() == TestLine::Activity::Playing; }, 20000));
    EXPECT_THAT(Ops(), ElementsAre("wait:60000", PlayOf("John Smith 12&34")));
    EXPECT_EQ(ReadFile(dir.Path() + "args.txt"), "[Ann \"Lee\" x][555]");
}

TEST_F(PluginTest, ShellTextAndPathTricksInTheOutputStayText) {
    ASSERT_TRUE(WriteFile(dir.Path() + "Outside.ini", ""));
    ASSERT_TRUE(WriteFile(dir.Path() + "Outside.wav", "RIFF"));
    const std::string out =
        "ogm=..%2FOutside&cmd=%24(touch+pwned)%3Becho+x%7C%60id%60+%3E+owned&file=..%2FOutside";
    Ogm("Main", "openfile", Script("out.sh", "printf '%s' '" + out + "'"));
    Ogm("Main", "press1go", "%ogm%");
    Ogm("Main", "press2", "play");
    Ogm("Main", "press2playfile", Store().OGMs() + "%file%.wav");
    Ogm("Main", "press3", "go");
    Ogm("Main", "press3go", "Next");
    OgmText("Next", "[ivr]\nopen=true\nopenplugin=true\nopenfile=" + ArgsScript("") + " %cmd%\n");
    Recording("Next");
    ASSERT_TRUE(line.Answer());
    EndPlayWithPlugin();
    Ops();
    Keys("1");
    EXPECT_THAT(Ops(), IsEmpty());
    Keys("2");
    EXPECT_THAT(Ops(), ElementsAre("play:none", PlayOf("Main")));
    Keys("3");
    EndPlayWithPlugin();
    EXPECT_EQ(ReadFile(dir.Path() + "args.txt"), "[$(touch pwned);echo x|`id` > owned]");
    EXPECT_FALSE(FileExists("pwned"));
    EXPECT_FALSE(FileExists(dir.Path() + "pwned"));
    EXPECT_FALSE(FileExists("owned"));
}

TEST_F(PluginTest, OutputIsCutAfter255Bytes) {
    // "name=" and 250 letters, then more: the variable keeps the 250 letters
    // of the first 255 bytes.
    const std::string letters(250, 'x');
    Ogm("Main", "openfile", ArgsScript("name=" + letters + "yyyyyyyyyyyyyyyyyyyy"));
    Ogm("Main", "press1go", "%name%");
    EmptyOgm(letters);
    Recording(letters);
    ASSERT_TRUE(line.Answer());
    EndPlayWithPlugin();
    Keys("1");
    EXPECT_THAT(Ops(), ElementsAre(PlayOf("Main"), "wait:60000", PlayOf(letters)));
}

TEST_F(PluginTest, SilentPluginIsAbandonedAfterTheBoundAndReapedWhenItEnds) {
    const std::string release = dir.Path() + "release";
    Ogm("Main", "openfile",
        Script("hang.sh",
               "while [ ! -e \"" + release + "\" ]; do sleep 0.05; done\nprintf 'name=late'"));
    Engine().pluginBoundMs = 100;
    DiagnosticsCapture events;
    ASSERT_TRUE(line.Answer());
    EndPlayWithPlugin();
    // The call goes on without variables, and the time-out is said.
    Keys("1");
    EXPECT_THAT(Ops(), ElementsAre(PlayOf("Main"), "wait:60000"));
    EXPECT_TRUE(events.Has(DiagnosticLevel::Warning, "engine",
                           {"hang.sh", "OGM \"Main\"", "no output within 100 ms"}))
        << events.AllText();
    // A call that ends before its play does closes the pipe unread.
    line.HangUpCall();
    ASSERT_TRUE(line.Answer());
    line.HangUpCall();
    ASSERT_TRUE(WriteFile(release, ""));
    EXPECT_TRUE(AllChildrenReaped());
}

TEST_F(PluginTest, OutputIsNotReadWhenThePluginSwitchIsOffAtTheEndOfThePlay) {
    Ogm("Main", "openfile", ArgsScript("name=John+Smith&acct=12%2634"));
    ASSERT_TRUE(line.Answer());
    Ogm("Main", "openplugin", "false");
    ASSERT_TRUE(line.FinishPlay());
    Keys("1");
    EXPECT_THAT(Ops(), ElementsAre(PlayOf("Main"), "wait:60000"));
    EXPECT_TRUE(Engine().opened.empty());
}

TEST_F(PluginTest, PluginThatCannotStartChangesNothingAndIsReported) {
    Ogm("Main", "openfile", dir.Path() + "missing-plugin name=x");
    DiagnosticsCapture events;
    ASSERT_TRUE(line.Answer());
    ASSERT_TRUE(line.FinishPlay());
    Keys("1");
    EXPECT_THAT(Ops(), ElementsAre(PlayOf("Main"), "wait:60000"));
    EXPECT_TRUE(events.Has(DiagnosticLevel::Error, "engine",
                           {"missing-plugin", "did not start: no such program"}))
        << events.AllText();
}

TEST_F(PluginTest, OpenComesAfterTheLogLineAndTheAnnouncement) {
    Ogm("Main", "openplugin", "false");
    Ogm("Main", "openfile", "/srv/notes.txt");
    Ogm("Main", "log", "true");
    Ogm("Main", "logname", "Calls");
    Ogm("Main", "announcecall", "true");
    Ogm("Main", "announceplay", "/srv/ring.wav");
    bool logged = false;
    bool announced = false;
    Engine().onOpen = [&] {
        logged = !SpecialLogEntries("Calls").empty();
        announced = !notify.notices.empty() && notify.notices.back().message == kMsgAnnounceCall;
    };
    ASSERT_TRUE(line.Answer());
    EXPECT_THAT(Engine().opened, ElementsAre("/srv/notes.txt"));
    EXPECT_TRUE(logged);
    EXPECT_TRUE(announced);
    EXPECT_THAT(Ops(), ElementsAre(PlayOf("Main")));
}

TEST_F(PluginTest, WithoutPluginTheFileGoesToTheDesktop) {
    Ogm("Main", "openplugin", "false");
    Ogm("Main", "openfile", "/srv/notes/%cid%.txt");
    const auto call = [this](const char* caller) {
        ASSERT_TRUE(line.Answer(5, caller));
        line.HangUpCall();
    };
    call("555");
    call("../../etc/passwd");
    Ogm("Main", "openfile", "https://crm.example/lookup?n=%cid%");
    call("556");
    Ogm("Main", "open", "false");
    call("557");
    EXPECT_THAT(Engine().opened,
                ElementsAre("/srv/notes/555.txt", "https://crm.example/lookup?n=556"));
}

// Two lines: on one a plug-in neither writes nor ends, on the other a caller
// leaves a message. Waiting for the plug-in's output must not hold the main
// thread, or the other line's recorder (about four seconds of buffers) loses
// the caller's audio: every frame the caller says reaches the recording.
TEST_F(PluginTest, AHangingPluginLeavesAnotherLinesRecordingWhole) {
    Ogm("Main", "openfile", Script("hang.sh", "sleep 8\nprintf 'name=late'"));
    Engine().pluginBoundMs = kPluginReadBoundMs;  // longer than the recorder's buffers

    std::unique_ptr<CallDevicePair> call = CallDevicePair::Register({1, 8000});
    ASSERT_TRUE(call);
    LSoundRecorder recorder;
    recorder.SetDevice(static_cast<int8_t>(call->InputId()));
    LSoundSink message = CreatePCMWaveSink(dir.Path() + "message.wav", 8000, 1, 16, 0);
    ASSERT_TRUE(recorder.Record(message, 0, -30, 100000));
    // The other caller talks for six seconds, in real time.
    constexpr int kFrames = 8000 * 6;
    std::atomic<int> lost{0};
    std::atomic<bool> talked{false};
    std::thread caller([&] {
        std::vector<int16_t> frame(160);
        for (size_t i = 0; i < frame.size(); ++i)
            frame[i] = static_cast<int16_t>(i % 16 < 8 ? 8000 : -8000);
        auto next = std::chrono::steady_clock::now();
        for (int sent = 0; sent < kFrames; sent += 160) {
            lost += static_cast<int>(160 - call->PushInput(frame.data(), 160));
            next += std::chrono::milliseconds(20);
            std::this_thread::sleep_for(next - std::chrono::steady_clock::now());
        }
        talked = true;
    });

    ASSERT_TRUE(line.Answer());
    line.FinishPlay();  // the plug-in's output is due now
    EXPECT_TRUE(dispatcher.RunUntil([&] { return talked.load(); }, 20000));
    caller.join();
    dispatcher.RunUntil([] { return false; }, 300);  // the last buffers come back
    recorder.Stop();
    EXPECT_EQ(lost.load(), 0);
    EXPECT_GT(message->position, kFrames - 8000 / 2);
    // The plug-in said nothing within the bound: the call went on without it.
    ASSERT_TRUE(dispatcher.RunUntil(
        [&] { return line.CurrentActivity() == TestLine::Activity::Waiting; }, 10000));
}

}  // namespace
}  // namespace orvia::test
