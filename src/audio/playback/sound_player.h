// LSoundPlayer: plays one sound source on one wave-out device.
//
// A feeding thread pulls 100 ms blocks (20 to 8192 frames) from the source,
// converts them to 16-bit and keeps up to 70 of them queued on the device,
// about seven seconds ahead of the listener. The owner learns about progress
// through its LSoundPlayerNotify; those calls always arrive on the owner's
// thread: the feeding thread only records what happened as pending events and
// posts to the main-thread dispatcher, and the post delivers them. So a
// notify object may call the player's operations directly.
//
// The feeding thread refills every buffer the device has finished each time
// it looks, then waits the poll interval (90 ms unless set; a telephone line,
// whose queue holds seconds, looks less often). Once the whole source is
// queued it waits only as long as the queued audio lasts, then looks every
// 10 ms, so the end of playing is noticed at once whatever the interval.
//
// A source that may go above the 16-bit full scale (maxSample > 524272) is
// played through a peak limiter. A device that stops returning buffers while
// playing (neither paused nor holding) is treated as finished after more
// than 280 poll intervals of waiting (about 25 s at 90 ms; at most that).
//
// Threads: every operation and every notification on the owner's thread,
// which must be the dispatcher's thread (the main thread). The feeding thread
// works under the player lock, which serialises it against Hold, SetPosition
// and the stop sequence.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "audio/playback/sound_levels.h"
#include "audio/sound_source.h"
#include "platform/thread/thread.h"
#include "platform/wave/wave_device.h"
#include "platform/wave/wave_types.h"

namespace orvia {

class Dispatcher;

// What the owner of a player is told. Positions are in ticks of 1/10000 s.
// Every operation does nothing unless overridden.
class LSoundPlayerNotify {
public:
    virtual ~LSoundPlayerNotify() = default;
    virtual void OnPlay(uint32_t user) { (void)user; }
    virtual void OnStop(uint32_t user) { (void)user; }
    virtual void OnHold(uint32_t user) { (void)user; }
    virtual void OnPause(uint32_t user) { (void)user; }
    virtual void OnPosition(int32_t ticks, uint32_t user) { (void)ticks, (void)user; }
    virtual void OnLevels(const LSoundLevels* levels, uint32_t user) { (void)levels, (void)user; }
};

// One device buffer of the player with what the feeding thread keeps about it.
struct LSoundPlayerWaveHeader {
    static constexpr int32_t kNoPosition = std::numeric_limits<int32_t>::min();

    std::unique_ptr<uint8_t[]> memory;  // 16-bit little-endian samples
    uint32_t bytes = 0;                 // size of the memory
    WaveBuffer header;
    // The source position after this buffer; kNoPosition for none.
    int32_t position = kNoPosition;
    LSoundLevels levels;
};

class LSoundPlayer : public LThread {
public:
    static constexpr int kBufferCount = 70;
    static constexpr int kMinFramesPerBuffer = 20;
    static constexpr int kPollMs = 90;
    // Once the source is queued: how often the end is looked for.
    static constexpr int kEndPollMs = 10;
    // Waiting more poll intervals than this (of at most kPollMs each)
    // without the device finishing a buffer ends playing.
    static constexpr int kStallPolls = 280;
    // Full scale of the 16-bit device; louder sources go through a limiter.
    static constexpr int32_t kLimit = 524272;

    // State bits.
    static constexpr uint16_t kOpen = 1;      // a device and a source are attached
    static constexpr uint16_t kPaused = 2;    // the device is paused
    static constexpr uint16_t kHold = 4;      // a looping preview buffer is on the device
    static constexpr uint16_t kRestart = 16;  // raise the thread's priority once the queue is full

    // Pending-event bits, set by the feeding thread, consumed on the owner's.
    static constexpr uint16_t kPositionChanged = 1;
    static constexpr uint16_t kLevelsChanged = 2;
    static constexpr uint16_t kPlayComplete = 4;

    // Takes the current dispatcher as the one notifications go through;
    // without one the player cannot play.
    LSoundPlayer();
    // Stops playing without notifying: the owner is going away with it.
    ~LSoundPlayer() override;

    // The wave-out device to play on (-1: the system default), used by the
    // next Play.
    void SetDevice(int8_t device) { device_ = device; }
    int8_t Device() const { return device_; }
    // The notify object (not owned, may be null) and the value passed back
    // with every notification.
    void SetNotify(LSoundPlayerNotify* notify, uint32_t user = 0);
    // With metering on, levels are measured and reported through OnLevels.
    void SetMetering(bool on);
    bool Metering() const { return metering_.load(); }

    // Stops what is playing, takes the source and opens the device; true when
    // playing (or, with startPaused, paused at the start) has begun. Notifies
    // OnPause or OnPlay, then OnPosition. An empty or invalid source, a
    // device that cannot be opened or a missing dispatcher give false.
    bool Play(const LSoundSource& source, bool startPaused = false);
    // Ends playing and releases device, buffers and source; notifies OnStop
    // and, with metering on, OnLevels with an empty record. Nothing happens
    // when idle.
    void Stop();
    // When playing and not paused: pauses the device, notifies OnPause.
    void Pause();
    // Loops a short preview (a quarter block repeated) at the play position
    // until Continue; notifies OnHold and OnPosition.
    void Hold();
    // Ends holding or pausing; notifies OnPlay.
    void Continue();
    // Moves playing (or the held preview) to a frame of the source; notifies
    // OnPosition.
    void SetPosition(int32_t frame);

    // The device's product name; empty when there is no such device.
    static std::string GetDeviceName(int device);

    // The state bits (0 when idle).
    uint16_t State() const;
    bool IsOpen() const { return (State() & kOpen) != 0; }
    // Frames in each device buffer of the source being played (0 when idle).
    int32_t FramesPerBuffer() const;
    // The source position at the end of the last buffer the device finished.
    int32_t PlayPosition() const;

    // How long the feeding thread waits between polls of an unfinished
    // buffer (kPollMs). Tests shorten it; a telephone line lengthens it.
    void SetPollInterval(int ms) { pollMs_.store(ms > 0 ? ms : 1); }

protected:
    // The feeding thread.
    void Run() override;

private:
    struct Window;

    // Owner side.
    void StopPlaying(bool notify);
    bool OpenDevice(const PcmFormat& format);
    bool AllocateBuffers();
    void FreeBuffers();
    void ForgetHeaderPositions();
    void SeekSource(int32_t frame);
    void QueuePreview(LSoundLevels* levels);
    void NotifyPreviewLevels(const LSoundLevels& levels);
    void RestartThreadIfEnded(bool ended, ThreadPriority priority);
    void DeliverEvents();
    int32_t ToTicks(int32_t frames) const;
    // True when the player was destroyed by the notification just made.
    static bool Gone(const std::shared_ptr<Window>& window);

    // Feeding thread (under the lock).
    void FillHeader(LSoundPlayerWaveHeader& header);
    bool AllHeadersDone() const;
    // How long to wait for the device before looking again.
    int NextWaitMs() const;
    void PostEvents();
    void ApplyRequestedPriority();

    mutable LLockObject lock_;
    Dispatcher* dispatcher_ = nullptr;
    std::shared_ptr<Window> window_;
    int8_t device_ = 0;
    LSoundPlayerNotify* notify_ = nullptr;
    uint32_t user_ = 0;
    std::atomic<bool> metering_{false};
    std::atomic<int> pollMs_{kPollMs};

    // Guarded by the lock.
    int32_t playPosition_ = 0;
    uint16_t state_ = 0;
    uint16_t pending_ = 0;
    bool posted_ = false;       // a delivery is on its way to the owner's thread
    bool threadEnded_ = false;  // the feeding thread ended after play complete
    LSoundSource source_;
    LSoundLevels current_;
    std::unique_ptr<int32_t[]> block_;
    std::unique_ptr<WaveOutDevice> waveOut_;
    int32_t framesPerBuffer_ = 0;
    uint8_t channels_ = 0;
    int32_t rate_ = 1;
    std::array<LSoundPlayerWaveHeader, kBufferCount> headers_;
    uint8_t index_ = 0;
    int waitedMs_ = 0;  // feeding thread only: waited since a buffer was last finished

    // The priority the feeding thread is asked to take, applied by the thread
    // itself (a thread can set only its own).
    std::atomic<ThreadPriority> requestedPriority_{ThreadPriority::Lowest};
    ThreadPriority appliedPriority_ = ThreadPriority::Lowest;  // feeding thread only
};

}  // namespace orvia
