// Test doubles for the player and recorder tests: a sink in memory, a device
// that never plays, and notify objects that log what they are told.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "audio/playback/sound_player.h"
#include "audio/playback/sound_recorder.h"
#include "audio/sound_source.h"
#include "platform/wave/wave_endpoint.h"

namespace orvia::test {

// Bound for waiting on device threads; never reached when the code is right.
inline constexpr int kBoundMs = 20000;

// A sink keeping what is written, honouring Truncate as a file sink does.
class MemorySink : public LSoundSinkBase {
public:
    MemorySink(uint32_t rate, uint32_t channelCount)
        : LSoundSinkBase(rate, kFullScale16, channelCount) {}
    void Write(const int32_t* buffer, int32_t frames) override {
        position += frames;
        samples.insert(samples.end(), buffer, buffer + static_cast<size_t>(frames) * channels);
    }
    void Truncate(int32_t frames) override {
        if (frames > position)
            return;
        position = std::max(frames, 0);
        samples.resize(static_cast<size_t>(position) * channels);
        ++truncations;
    }

    std::vector<int32_t> samples;
    int truncations = 0;
};

// An output device played only when the test says so: Play pulls frames
// from the queue of the device opened last, as a sound card's clock would.
// Never played, it is a stalled device.
class ManualDevice : public WaveEndpoint {
public:
    std::string ProductName() const override { return "Manual"; }
    WaveResult OpenOutput(const PcmFormat& format, bool, WaveDoneNotifier notifier,
                          std::unique_ptr<WaveOutDevice>* device) override {
        queue_ = std::make_shared<WaveOutQueue>(format, std::move(notifier));
        *device = std::make_unique<WaveOutDevice>(queue_, nullptr);
        return WaveResult::Ok;
    }
    // Plays frames as soon as they are queued; returns how many were played
    // (fewer only when they did not come within the bound).
    size_t Play(size_t frames) {
        if (!queue_)
            return 0;
        std::vector<int16_t> out(frames * static_cast<size_t>(queue_->Format().channels));
        size_t played = 0;
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(kBoundMs);
        while (played < frames && std::chrono::steady_clock::now() < deadline) {
            played +=
                queue_->Pull(out.data() + played * queue_->Format().channels, frames - played);
            if (played < frames)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return played;
    }

private:
    std::shared_ptr<WaveOutQueue> queue_;
};

// An input device that captures only what the test hands it, as a sound
// card would: frames go into the queued buffers while the device is started
// and are lost otherwise.
class ManualInput : public WaveEndpoint {
public:
    std::string ProductName() const override { return "Manual In"; }
    WaveResult OpenInput(const PcmFormat& format, bool, WaveDoneNotifier notifier,
                         std::unique_ptr<WaveInDevice>* device) override {
        queue_ = std::make_shared<WaveInQueue>(format, std::move(notifier));
        *device = std::make_unique<WaveInDevice>(queue_, nullptr);
        return WaveResult::Ok;
    }
    // Frames stored, at most count.
    size_t Capture(const int16_t* frames, size_t count) {
        return queue_ ? queue_->Push(frames, count) : 0;
    }

private:
    std::shared_ptr<WaveInQueue> queue_;
};

// Logs the player's notifications as words: "play", "stop", "hold",
// "pause", "pos:<ticks>"; level records are kept apart.
class PlayerLog : public LSoundPlayerNotify {
public:
    static constexpr uint32_t kUser = 77;

    void OnPlay(uint32_t user) override { Add("play", user); }
    void OnStop(uint32_t user) override {
        Add("stop", user);
        ++stops;
    }
    void OnHold(uint32_t user) override { Add("hold", user); }
    void OnPause(uint32_t user) override { Add("pause", user); }
    void OnPosition(int32_t ticks, uint32_t user) override {
        Add("pos:" + std::to_string(ticks), user);
    }
    void OnLevels(const LSoundLevels* record, uint32_t user) override {
        levels.push_back(*record);
        userSeen = userSeen && user == kUser;
    }

    int Count(const std::string& word) const {
        return static_cast<int>(std::count(events.begin(), events.end(), word));
    }

    std::vector<std::string> events;
    std::vector<LSoundLevels> levels;
    int stops = 0;
    bool userSeen = true;  // every notification carried kUser

private:
    void Add(std::string word, uint32_t user) {
        events.push_back(std::move(word));
        userSeen = userSeen && user == kUser;
    }
};

// Logs the recorder's notifications: "sound", "waiting", "stop",
// "pos:<ticks>". Every block the recorder handles is reported by a level
// record, except a block that ends writing after a long pause (a cut).
class RecorderLog : public LSoundRecorderNotify {
public:
    void OnSound(uint32_t) override {
        events.push_back("sound");
        writing = true;
    }
    void OnWaiting(uint32_t) override {
        events.push_back("waiting");
        if (writing)
            ++cuts;
        writing = false;
    }
    void OnRecordStop(uint32_t) override { events.push_back("stop"); }
    void OnPosition(int32_t ticks, uint32_t) override {
        events.push_back("pos:" + std::to_string(ticks));
    }
    void OnLevels(const LSoundLevels* record, uint32_t) override {
        if (record->count > 0) {
            ++blocks;
            lastLevel = record->Level();
        } else {
            ++emptyLevels;
        }
    }

    int Count(const std::string& word) const {
        return static_cast<int>(std::count(events.begin(), events.end(), word));
    }

    // Blocks handled so far.
    int Processed() const { return blocks + cuts; }

    std::vector<std::string> events;
    bool writing = false;
    int cuts = 0;
    int blocks = 0;
    int emptyLevels = 0;
    int lastLevel = 0;
};

}  // namespace orvia::test
