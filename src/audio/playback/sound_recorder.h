// LSoundRecorder: voice-activated recording from one wave-in device into one
// sound sink.
//
// The recorder waits for sound before it writes: a block (100 ms, 20 to 8192
// frames) whose peak level is above the threshold + 2 dB starts writing,
// with half a block of what came before it when the sound begins in the
// block's first half. While writing, blocks at or below the threshold - 3 dB
// count as silence; silence longer than the timeout is cut back to 0.7 s and
// the recorder waits for sound again. It stops by itself after the maximum
// duration, and at once when the sink fails to take a block (a full disk);
// stopping trims the file to 50 ms after the last sound.
//
// The device's buffers (40 of them, about four seconds) come back through the
// main-thread dispatcher, so buffer handling and every notification happen on
// the thread that created the recorder.
//
// Threads: the owner's thread only, which must be the dispatcher's thread
// (the main thread). No locks are taken.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "audio/playback/sound_levels.h"
#include "audio/sound_source.h"
#include "platform/wave/wave_device.h"
#include "platform/wave/wave_types.h"

namespace orvia {

class Dispatcher;

// What the owner of a recorder is told. Positions are in ticks of 1/10000 s
// (the sink's length). Every operation does nothing unless overridden.
class LSoundRecorderNotify {
public:
    virtual ~LSoundRecorderNotify() = default;
    // Writing has begun.
    virtual void OnSound(uint32_t user) { (void)user; }
    // Waiting for sound.
    virtual void OnWaiting(uint32_t user) { (void)user; }
    virtual void OnRecordStop(uint32_t user) { (void)user; }
    virtual void OnPosition(int32_t ticks, uint32_t user) { (void)ticks, (void)user; }
    virtual void OnLevels(const LSoundLevels* levels, uint32_t user) { (void)levels, (void)user; }
};

class LSoundRecorder {
public:
    static constexpr int kBufferCount = 40;
    static constexpr int kMinFramesPerBuffer = 20;
    // Silence kept after the last sound when a pause is cut (0.7 s) and when
    // recording stops (50 ms), in ticks.
    static constexpr int32_t kKeptPauseTicks = 7000;
    static constexpr int32_t kKeptTailTicks = 500;

    enum RecorderState : int32_t { kIdle = 0, kWaiting = 1, kWriting = 2 };

    // Takes the current dispatcher as the one device buffers come back
    // through; without one the recorder cannot record.
    LSoundRecorder();
    // Completes the recording as Stop does, without notifying: the owner is
    // going away with it.
    ~LSoundRecorder();
    LSoundRecorder(const LSoundRecorder&) = delete;
    LSoundRecorder& operator=(const LSoundRecorder&) = delete;

    // The wave-in device to record from (-1: the system default), used by the
    // next Record.
    void SetDevice(int8_t device) { device_ = device; }
    int8_t Device() const { return device_; }
    // The notify object (not owned, may be null) and the value passed back
    // with every notification.
    void SetNotify(LSoundRecorderNotify* notify, uint32_t user = 0);

    // Starts recording into the sink at once: the device gets the sink's
    // channels and rate. maxDuration in ticks (0 or less: none); thresholdDb
    // the sound threshold; silenceTimeout in ticks. Notifies OnWaiting,
    // OnPosition with the sink's length and OnLevels with an empty record.
    // False for an empty or invalid sink, a device that cannot be opened or a
    // missing dispatcher.
    bool Record(const LSoundSink& sink, int32_t maxDuration, int thresholdDb,
                int32_t silenceTimeout);
    // Does everything Record does but leaves the device stopped; the owner
    // calls StartDevice at the moment recording is to begin (for example when
    // a record tone has finished).
    bool RecordStopped(const LSoundSink& sink, int32_t maxDuration, int thresholdDb,
                       int32_t silenceTimeout);
    // Starts the device opened by RecordStopped; false when idle.
    bool StartDevice();

    // Throws away what was written: the sink is cut to nothing and, when
    // writing, the recorder waits for sound again (OnWaiting, OnPosition 0,
    // OnLevels with an empty record). Nothing happens when idle.
    void Discard();
    // Ends recording: closes the device, trims silence beyond 50 ms after the
    // last sound, releases the sink (a file sink completes its file when this
    // was the last handle); notifies OnRecordStop and OnLevels with an empty
    // record. Nothing happens when idle.
    void Stop();

    // The device's product name; empty when there is no such device.
    static std::string GetDeviceName(int device);

    RecorderState State() const { return state_; }
    // Writing to the sink (sound has been heard).
    bool IsWriting() const { return state_ == kWriting; }
    // Recording, but waiting for sound before writing.
    bool IsWaiting() const { return state_ == kWaiting; }
    // Not recording at all.
    bool IsStopped() const { return state_ == kIdle; }

private:
    struct DeviceBuffer {
        std::unique_ptr<uint8_t[]> memory;
        WaveBuffer header;
    };

    bool Start(const LSoundSink& sink, int32_t maxDuration, int thresholdDb, int32_t silenceTimeout,
               bool startDevice);
    void Halt(bool notify);
    bool OpenDevice(const PcmFormat& format);
    void CloseDevice();
    void OnBufferDone(WaveBuffer* buffer);
    void HandleWaiting();
    void HandleWriting();
    // False when the sink failed to take the block.
    bool WriteBlock(const int32_t* samples, int32_t frames);
    int32_t SinkTicks() const;
    void NotifyEmptyLevels();

    Dispatcher* dispatcher_ = nullptr;
    int8_t device_ = 0;
    LSoundRecorderNotify* notify_ = nullptr;
    uint32_t user_ = 0;
    RecorderState state_ = kIdle;
    // Counts starts and stops, so a handler sees when a notification it made
    // ended or restarted the recording.
    uint32_t session_ = 0;
    LSoundSink sink_;
    LSoundLevels current_;
    std::unique_ptr<int32_t[]> block_;
    std::unique_ptr<WaveInDevice> waveIn_;
    int32_t framesPerBuffer_ = 0;
    int32_t samplesPerBuffer_ = 0;
    int channels_ = 0;
    std::array<DeviceBuffer, kBufferCount> buffers_;
    int32_t maxDuration_ = 0;
    int startThreshold_ = 0;
    int stopThreshold_ = 0;
    int32_t lastSound_ = 0;
    int32_t silenceTimeout_ = 0;
    std::unique_ptr<int32_t[]> preRoll_;
};

}  // namespace orvia
