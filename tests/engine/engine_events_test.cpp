// What the engine tells the program's events about its calls: answered,
// declined and ended calls, and files that do not play, with the reason.
#include <string>

#include "diagnostics_capture.h"
#include "engine_fixture.h"
#include "platform/files/text_file.h"
#include "store/settings_store.h"

namespace orvia::test {
namespace {

class EngineEventsTest : public EngineTest {
protected:
    EngineEventsTest() {
        Setting("settings", "ogm", "Main");
        Setting("line0", "name", "Front Desk");
        EmptyOgm("Main");
    }

    DiagnosticsCapture events;
};

TEST_F(EngineEventsTest, AnsweredAndEndedCallsAreSaidWithLineCallerAndOgm) {
    Recording("Main");
    ASSERT_TRUE(line.Answer(10, "5551234", "Jane Doe"));
    clock.Advance(42);
    line.HangUpCall();
    EXPECT_TRUE(events.Has(DiagnosticLevel::Info, "engine",
                           {"Front Desk [line0]: call from 5551234 Jane Doe answered with OGM "
                            "\"Main\""}))
        << events.AllText();
    EXPECT_TRUE(events.Has(DiagnosticLevel::Info, "engine",
                           {"Front Desk [line0]: call from 5551234 Jane Doe ended after 42 s"}))
        << events.AllText();
}

TEST_F(EngineEventsTest, ADeclinedCallSaysWhy) {
    struct Case {
        const char* what;
        const char* setting;  // "section/key=value"
        DiagnosticLevel level;
        const char* said;
    } cases[] = {
        {"answering off", "state/on=false", DiagnosticLevel::Info, "answering is switched off"},
        {"OGM missing", "settings/ogm=Nowhere", DiagnosticLevel::Warning,
         "the OGM \"Nowhere\" does not exist"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string setting = c.setting;
        const std::size_t slash = setting.find('/'), equals = setting.find('=');
        Setting(setting.substr(0, slash), setting.substr(slash + 1, equals - slash - 1),
                setting.substr(equals + 1));
        EXPECT_FALSE(line.Answer(5, "5550000"));
        EXPECT_TRUE(events.Has(c.level, "engine", {"call from 5550000 not answered", c.said}))
            << events.AllText();
        line.HangUpCall();
        Setting("state", "on", "true");
        Setting("settings", "ogm", "Main");
    }
    // A call that was never answered did not "end".
    EXPECT_EQ(events.AllText().find("ended after"), std::string::npos) << events.AllText();
}

TEST_F(EngineEventsTest, AMissingRecordingIsSaidOncePerCallWithItsPath) {
    Ogm("Main", "repeat", "2");
    ASSERT_TRUE(RemoveFileIfPresent(PromptPath("GoodBye")));
    ASSERT_TRUE(line.Answer());
    for (int play = 0; play < 3; ++play) {
        line.FinishPlay();
        line.FinishWait();
    }
    const std::string wave = Store().OGMs() + "Main.wav";
    EXPECT_TRUE(events.Has(DiagnosticLevel::Warning, "engine",
                           {"the recording of OGM \"Main\"", wave, "it does not exist"}))
        << events.AllText();
    // Three plays, one event; and the missing "GoodBye" prompt that ends the call.
    const std::string all = events.AllText();
    EXPECT_EQ(all.find(wave), all.rfind(wave)) << all;
    EXPECT_TRUE(events.Has(DiagnosticLevel::Warning, "engine",
                           {"the system prompt", PromptPath("GoodBye"), "does not exist"}))
        << all;
}

TEST_F(EngineEventsTest, ARecordingThatIsNoWaveFileIsSaidAsSuch) {
    ASSERT_TRUE(WriteFile(Store().OGMs() + "Main.wav", "not a wave"));
    ASSERT_TRUE(line.Answer());
    EXPECT_TRUE(events.Has(DiagnosticLevel::Warning, "engine",
                           {"OGMs/Main.wav", "it is not a WAVE file the program reads"}))
        << events.AllText();
}

TEST_F(EngineEventsTest, ARecordingThatCannotBeCreatedIsAnErrorWithItsPathAndReason) {
    Recording("Main");
    const std::string path = dir.Path() + "no such folder/note.wav";
    Ogm("Main", "press1", "record");
    Ogm("Main", "press1recfile", path);
    ASSERT_TRUE(WriteFile(PromptPath("RecordTone"), "RIFF"));
    ASSERT_TRUE(line.Answer());
    Keys("1");
    line.FinishPlay();  // the record tone
    EXPECT_TRUE(
        events.Has(DiagnosticLevel::Error, "engine",
                   {"Front Desk [line0]: cannot record into " + path, "No such file or directory"}))
        << events.AllText();
}

}  // namespace
}  // namespace orvia::test
