// A call on a scripted line against real OGM, settings and prompt files in a
// temporary data folder, with a fixed clock.
//
// Recordings are stand-in files: a ".wav" whose content starts with "RIFF"
// opens as a wave source, a ".mp3" starting with "ID3" as an MP3 source; the
// line's log names each played file by its path inside the data folder
// ("play:OGMs/Main.wav"), or "none" for a play that cannot start.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/ivr_main.h"
#include "engine/ivr_notify.h"
#include "platform/dispatch/step_dispatcher.h"
#include "platform/time/clock.h"
#include "temp_dir.h"
#include "test_line.h"

namespace orvia::test {

// The main window's side of the notices.
class RecordingNotify : public IVRCNotify {
public:
    struct Notice {
        int message;
        std::string text;
        bool posted;
    };
    void Send(int message, std::string& text) override;
    void Post(int message) override;

    std::vector<Notice> notices;
    // What the main window writes for kMsgForwardingMailbox.
    std::string forwardingMailbox;
};

// The level-control queue's side: the recordings handed over, in order.
class RecordingQueue : public RecordingLeveller {
public:
    void Enqueue(const std::string& path) override { paths.push_back(path); }
    std::vector<std::string> paths;
};

// The engine with stand-in file sources; files handed to the desktop are
// noted instead of opened.
class StandInEngine : public IVRCMain {
public:
    using IVRCMain::IVRCMain;

    std::vector<std::string> opened;
    // Called as a file is handed to the desktop.
    std::function<void()> onOpen;
    int pluginBoundMs = kPluginReadBoundMs;

protected:
    LSoundSource OpenWave(const std::string& path) override;
    LSoundSource OpenMp3(const std::string& path) override;
    void OpenDocument(const std::string& pathOrUrl) override {
        opened.push_back(pathOrUrl);
        if (onOpen)
            onOpen();
    }
    int PluginReadBoundMs() const override { return pluginBoundMs; }
};

// Monday 15 January 2024, 10:00:00.
int64_t MondayAt(int hour, int minute = 0, int second = 0);
// The same week: 0 = Sunday 14th .. 6 = Saturday 20th.
int64_t WeekdayAt(int weekday, int hour, int minute = 0, int second = 0);

class EngineTest : public ::testing::Test {
protected:
    EngineTest();

    // settings.ini
    void Setting(const std::string& section, const std::string& key, const std::string& value);
    // An OGM definition key (section "ivr" unless given); creates the file.
    void Ogm(const std::string& name, const std::string& key, const std::string& value,
             const std::string& section = "ivr");
    // An OGM definition file with the given INI text (one write, where a
    // test sets up many keys).
    void OgmText(const std::string& name, const std::string& text);
    // An OGM definition file with nothing in it.
    void EmptyOgm(const std::string& name);
    // OGMs/<name>.wav, a recording that opens.
    void Recording(const std::string& name);
    std::string OgmPath(const std::string& name) const;
    std::string PromptPath(const std::string& name) const;

    // The line's log since the last call (which it empties).
    std::vector<std::string> Ops() { return line.TakeLog(); }
    // Keys, one event each.
    void Keys(const std::string& keys);
    // The day's log file and a special log's content.
    std::string DailyLogText() const;
    std::string SpecialLogText(const std::string& name) const;
    // A special log's entries: its text after the three header lines.
    std::string SpecialLogEntries(const std::string& name) const;

    static std::string PlayOf(const std::string& name) { return "play:OGMs/" + name + ".wav"; }
    static std::string PromptOf(const std::string& name) {
        return "play:System Prompts/" + name + ".wav";
    }

    StandInEngine& Engine() { return *static_cast<StandInEngine*>(line.Owner()); }

    TempDir dir;
    ScopedFixedClock clock;
    RecordingNotify notify;
    RecordingQueue levelled;
    // Plug-in output comes back through it; it outlives the line.
    StepDispatcher dispatcher;
    ScopedCurrentDispatcher current{&dispatcher};
    TestLine line;
};

}  // namespace orvia::test
