// Stand-ins the widget tests and the screenshots share: a recording desktop
// player, scripted lines, and a data folder of the program's own with OGMs,
// mailboxes and messages made on demand. Nothing here needs GoogleTest.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/core/desktop_playback.h"
#include "app/core/line_bank.h"
#include "temp_dir.h"

namespace orvia::test {

// A player that records its calls ("play <frames> on <device> at <db>dB",
// "stop") and plays until stopped.
class RecordingPlayback : public DesktopPlayback {
public:
    bool Play(const LSoundSource& source, int device, int db) override;
    void Stop() override;
    bool IsPlaying() const override { return playing_; }
    void SetPlayingChanged(std::function<void(bool)> callback) override {
        changed_ = std::move(callback);
    }

    std::vector<std::string> calls;

private:
    bool playing_ = false;
    std::function<void(bool)> changed_;
};

// Lines that are made and destroyed without telephony.
class ScriptedLines : public LineBank {
public:
    int SetUp(IVRCNotify*) override { return count_ = available; }
    void Destroy() override { count_ = 0; }
    int Count() const override { return count_; }
    ForwardingLine* FirstLine() override { return nullptr; }
    std::vector<LineStatus> Status() const override { return {}; }

    int available = 1;

private:
    int count_ = 0;
};

// A data folder of the test's own as the process's store.
class DataFolder {
public:
    // In a temporary folder, removed afterwards.
    DataFolder();
    // In this folder (ending in "/"), which is kept.
    explicit DataFolder(const std::string& folder);

    std::string Settings() const;
    std::string Box(const std::string& file) const;
    // An OGM definition (with "answer" when given) and a second of recording.
    void Ogm(const std::string& name, const char* answer = nullptr) const;
    // A mailbox file.
    void Mailbox(const std::string& name) const;
    // A message of the mailbox: a recording of frames frames (8000 Hz, 16
    // bits) and its ".ini" with "datetime" (number minutes after 08:05:00 on
    // 2024-03-07), "cid" and "read". Returns the ".ini" path.
    std::string Message(const std::string& mailbox, int number, const std::string& cid = "",
                        bool read = false, int32_t frames = 800) const;

private:
    std::unique_ptr<TempDir> temp_;
};

}  // namespace orvia::test
