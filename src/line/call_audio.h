// LCallAudio: the audio side of a line, shared by the telephony line and the
// Call Test Simulator's line. It owns the line's sound player and recorder, plays
// and records on the devices the line names, and reports back to the line
// through its LVLine events: the end of a play or a wait, positions and
// levels, and a hang-up (Drop) when a recording cannot start, when the caller
// stays silent for the silence limit, or when the recorder stops by itself at
// the maximum length.
//
// Audio state: idle, playing a sound, or waiting (playing silence). The
// player's stop becomes OnPlayComplete or OnWaitComplete by that state, so a
// play that the line stops itself reports nothing.
//
// Main thread only; the current dispatcher must be set before construction.
#pragma once

#include <climits>
#include <cstdint>
#include <functional>

#include "audio/playback/sound_player.h"
#include "audio/playback/sound_recorder.h"
#include "audio/sound_source.h"
#include "line/line_observer.h"

namespace orvia {

class LVLine;

class LCallAudio {
public:
    // A device identifier that names no device: plays and records fail.
    static constexpr int kNoDevice = INT_MIN;
    // Everything is played at this rate, one channel.
    static constexpr int32_t kLineRate = 8000;
    // Longest stretch of caller silence a recording allows, at least.
    static constexpr int64_t kMinSilenceLimitMs = 1000;
    // The recorder's own silence timeout (it then waits for sound again).
    static constexpr int32_t kRecorderSilenceTicks = 70000;
    // What a stopped recording loses at its end: the key press that stopped
    // it.
    static constexpr int32_t kStopCutTicks = 4000;

    // Milliseconds of a clock that only moves forward in normal use.
    using TickSource = std::function<int64_t()>;

    explicit LCallAudio(LVLine& line);
    ~LCallAudio();
    LCallAudio(const LCallAudio&) = delete;
    LCallAudio& operator=(const LCallAudio&) = delete;

    // Stops, then plays the source converted to one channel at 8000 frames a
    // second; when it does not start, OnPlayComplete at once.
    void Play(const LSoundSource& source, int device);
    // Stops, then plays ticks of silence; when that does not start,
    // OnWaitComplete at once.
    void Wait(int32_t ticks, int device);
    // Stops, then records the caller into the sink; when the recorder does
    // not start, the line drops the call.
    void Record(const LSoundSink& sink, int32_t maxTicks, int8_t detectDb, int32_t silenceTicks,
                int device);
    // Stops playing, waiting and recording without a completion event; a
    // recording that has written sound loses its last 0.4 s.
    void Stop();
    bool IsRecording() const { return !recorder_.IsStopped(); }
    bool IsPlaying() const { return state_ == State::Playing; }

    // The clock of the silence limit (default: a steady clock).
    void SetTickSource(TickSource source) { ticks_ = std::move(source); }
    void SetObserver(LLineObserver* observer) { observer_ = observer; }
    void SetPlayerPollInterval(int ms) { player_.SetPollInterval(ms); }

private:
    enum class State : uint8_t { Idle, Playing, Waiting };

    class PlayerEvents : public LSoundPlayerNotify {
    public:
        explicit PlayerEvents(LCallAudio& audio) : audio_(audio) {}
        void OnStop(uint32_t) override { audio_.OnPlayerStop(); }
        void OnPosition(int32_t ticks, uint32_t) override;
        void OnLevels(const LSoundLevels* levels, uint32_t) override;

    private:
        LCallAudio& audio_;
    };
    class RecorderEvents : public LSoundRecorderNotify {
    public:
        explicit RecorderEvents(LCallAudio& audio) : audio_(audio) {}
        void OnRecordStop(uint32_t) override { audio_.OnRecorderStop(); }
        void OnPosition(int32_t ticks, uint32_t) override;
        void OnLevels(const LSoundLevels* levels, uint32_t) override {
            audio_.OnRecorderLevels(levels);
        }

    private:
        LCallAudio& audio_;
    };

    // Plays on the device as it is, or converted to the line's format.
    bool StartPlayer(const LSoundSource& source, int device, bool convert);
    void OnPlayerStop();
    void OnRecorderStop();
    void OnRecorderLevels(const LSoundLevels* levels);
    // Lets go of the recording's sink, reporting what it keeps.
    void FinishRecording();
    int64_t Ticks() const;

    LVLine& line_;
    State state_ = State::Idle;
    bool recording_ = false;
    int64_t recordTimerStart_ = 0;
    int64_t silenceLimitMs_ = kMinSilenceLimitMs;
    LSoundSink recordSink_;  // while the recorder has it
    TickSource ticks_;
    LLineObserver* observer_ = nullptr;
    PlayerEvents playerEvents_{*this};
    RecorderEvents recorderEvents_{*this};
    LSoundPlayer player_;
    LSoundRecorder recorder_;
};

}  // namespace orvia
