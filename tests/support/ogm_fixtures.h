// What the tests of the OGM editor, the mailbox dialog and the call-flow map
// share: a data folder of their own, scripted questions, a recording player
// and level-control queue, and audio files made on demand.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

class QAbstractButton;

#include "desktop_fakes.h"
#include "engine/recording_leveller.h"
#include "ui/framework/new_audio.h"
#include "ui/ogm/audio_services.h"
#include "ui_fixtures.h"

namespace orvia::test {

// The paths handed to the level-control queue.
class RecordingQueue : public RecordingLeveller {
public:
    void Enqueue(const std::string& path) override { queued.push_back(path); }
    std::vector<std::string> queued;
};

// A record control and speech dialog that write a tone into the file asked
// for (or refuse, as a user's Cancel), installed for the test's scope.
class ToneNewAudio : public NewAudio {
public:
    ToneNewAudio() { SetNewAudio(this); }
    ~ToneNewAudio() override { SetNewAudio(nullptr); }
    bool CanRecord() const override { return true; }
    bool Record(QWidget* parent, const std::string& wavePath) override;
    bool CanSynthesize() const override { return true; }
    bool Synthesize(QWidget* parent, const std::string& wavePath) override;

    bool accept = true;
    std::vector<std::string> asked;  // "record <path>", "synthesize <path>"
};

// Clicks a check box or radio button on its box (a click in the empty part
// of a wide one would miss).
void ClickBox(QAbstractButton* button);

// A WAVE file of a 440 Hz tone: 16-bit PCM at rate with channels.
void WriteTone(const std::string& path, int32_t rate, int channels, double seconds);

// The rate, channels and bits of a WAVE file; {0, 0, 0} when it does not open.
struct WaveShape {
    int32_t rate = 0;
    int channels = 0;
    int bits = 0;
    int32_t frames = 0;
};
WaveShape ShapeOf(const std::string& path);

class OgmEditorTest : public ::testing::Test {
protected:
    // The value of a key of an OGM's definition; "<missing>" when it is not there.
    std::string Key(const std::string& ogm, const char* section, const char* key) const;
    std::string OgmFile(const std::string& ogm, const char* extension) const;

    DataFolder data_;
    ScriptedQuestions questions_;
    RecordingPlayback playback_;
    RecordingQueue queue_;
    AudioServices services_{playback_, queue_};
};

}  // namespace orvia::test
