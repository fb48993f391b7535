#include "audio/playback/sound_recorder.h"

#include <algorithm>
#include <limits>
#include <new>

#include "platform/dispatch/dispatcher.h"
#include "platform/thread/thread_affinity.h"
#include "platform/wave/wave_registry.h"

namespace orvia {
namespace {

constexpr int64_t kTicksPerSecond = 10000;

int32_t Clamp32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// The tick and frame conversions of the pipeline, split the same way, but in
// 64 bits so that lengths near the 32-bit limits saturate instead of
// overflowing.
int32_t FramesToTicks64(int64_t frames, int64_t rate) {
    if (rate < 1)
        return 0;
    return Clamp32((frames / rate) * kTicksPerSecond + ((frames % rate) * kTicksPerSecond) / rate);
}

int32_t TicksToFrames64(int64_t ticks, int64_t rate) {
    return Clamp32((ticks / kTicksPerSecond) * rate +
                   ((ticks % kTicksPerSecond) * rate) / kTicksPerSecond);
}

int ClampDb(int db) {
    return std::clamp(db, -127, 127);
}

}  // namespace

LSoundRecorder::LSoundRecorder() : dispatcher_(CurrentDispatcher()) {}

LSoundRecorder::~LSoundRecorder() {
    // The recording is completed as by Stop, but the owner, which is being
    // torn down with its recorder, is not notified.
    Halt(false);
}

void LSoundRecorder::SetNotify(LSoundRecorderNotify* notify, uint32_t user) {
    ORVIA_ASSERT_MAIN_THREAD();
    notify_ = notify;
    user_ = user;
}

std::string LSoundRecorder::GetDeviceName(int device) {
    return WaveInProductName(device);
}

bool LSoundRecorder::Record(const LSoundSink& sink, int32_t maxDuration, int thresholdDb,
                            int32_t silenceTimeout) {
    return Start(sink, maxDuration, thresholdDb, silenceTimeout, true);
}

bool LSoundRecorder::RecordStopped(const LSoundSink& sink, int32_t maxDuration, int thresholdDb,
                                   int32_t silenceTimeout) {
    return Start(sink, maxDuration, thresholdDb, silenceTimeout, false);
}

bool LSoundRecorder::StartDevice() {
    ORVIA_ASSERT_MAIN_THREAD();
    if (state_ == kIdle || !waveIn_)
        return false;
    return waveIn_->Start() == WaveResult::Ok;
}

bool LSoundRecorder::Start(const LSoundSink& sink, int32_t maxDuration, int thresholdDb,
                           int32_t silenceTimeout, bool startDevice) {
    ORVIA_ASSERT_MAIN_THREAD();
    if (state_ != kIdle)
        Stop();
    if (!dispatcher_ || IsInvalid(sink))
        return false;

    const auto rate = static_cast<int32_t>(std::min<uint32_t>(sink->sampleRate, INT32_MAX));
    channels_ = sink->channels;
    framesPerBuffer_ = std::clamp(rate / 10, kMinFramesPerBuffer, kMaxBlockFrames);
    samplesPerBuffer_ = framesPerBuffer_ * channels_;
    if (!OpenDevice({channels_, rate}))
        return false;

    const auto samples = static_cast<size_t>(samplesPerBuffer_);
    block_.reset(new (std::nothrow) int32_t[samples]());
    preRoll_.reset(new (std::nothrow) int32_t[samples]());
    if (!block_ || !preRoll_) {
        CloseDevice();
        return false;
    }
    // A buffer that cannot be had is left out; recording goes on with the
    // rest.
    for (DeviceBuffer& b : buffers_) {
        b.memory.reset(new (std::nothrow) uint8_t[samples * 2]);
        if (!b.memory)
            continue;
        b.header.data = b.memory.get();
        b.header.length = static_cast<uint32_t>(samples * 2);
        b.header.flags.store(0);
        if (waveIn_->AddBuffer(&b.header) != WaveResult::Ok)
            b.memory.reset();
    }
    // The buffers are queued first, so a started device loses nothing.
    if (startDevice)
        waveIn_->Start();
    else
        waveIn_->Stop();

    state_ = kWaiting;
    ++session_;
    sink_ = sink;
    maxDuration_ = maxDuration;
    startThreshold_ = ClampDb(thresholdDb + 2);
    stopThreshold_ = ClampDb(thresholdDb - 3);
    silenceTimeout_ = silenceTimeout;
    lastSound_ = SinkTicks();

    const uint32_t session = session_;
    if (notify_)
        notify_->OnWaiting(user_);
    if (session == session_ && notify_)
        notify_->OnPosition(lastSound_, user_);
    if (session == session_)
        NotifyEmptyLevels();
    return true;
}

bool LSoundRecorder::OpenDevice(const PcmFormat& format) {
    WaveOpenParams params;
    params.device = device_;
    params.format = format;
    // Completed buffers come back on the dispatcher's thread. Closing the
    // device drops those still on their way, so the callback never outlives
    // the recorder or its buffers.
    params.onDone = [this](WaveBuffer* buffer) { OnBufferDone(buffer); };
    if (OpenWaveIn(params, &waveIn_) == WaveResult::Ok)
        return true;
    params.mapped = true;
    return OpenWaveIn(params, &waveIn_) == WaveResult::Ok;
}

void LSoundRecorder::CloseDevice() {
    if (waveIn_)
        waveIn_->Reset();
    waveIn_.reset();
    for (DeviceBuffer& b : buffers_) {
        b.memory.reset();
        b.header.data = nullptr;
        b.header.length = 0;
        b.header.flags.store(0);
    }
}

int32_t LSoundRecorder::SinkTicks() const {
    return FramesToTicks64(sink_->position, sink_->sampleRate);
}

void LSoundRecorder::NotifyEmptyLevels() {
    if (!notify_)
        return;
    const LSoundLevels empty;
    notify_->OnLevels(&empty, user_);
}

void LSoundRecorder::OnBufferDone(WaveBuffer* buffer) {
    ORVIA_ASSERT_MAIN_THREAD();
    if (state_ == kIdle || !buffer->IsDone())
        return;
    // 16-bit little-endian samples to the pipeline's scale. Only a full
    // buffer comes back while recording; should one come back short, its
    // missing part reads as silence rather than as stale samples.
    const uint8_t* data = buffer->data;
    const uint32_t filled = std::min<uint32_t>(buffer->bytesRecorded.load(),
                                               static_cast<uint32_t>(samplesPerBuffer_) * 2);
    const int32_t complete = static_cast<int32_t>(filled / 2);
    for (int32_t i = 0; i < complete; ++i) {
        const auto bits = static_cast<uint16_t>(data[2 * i] | (data[2 * i + 1] << 8));
        block_[i] = static_cast<int16_t>(bits) * 16;
    }
    std::fill(block_.get() + complete, block_.get() + samplesPerBuffer_, 0);
    waveIn_->AddBuffer(buffer);

    MeasurePeakLevels(block_.get(), framesPerBuffer_, channels_, &current_);
    if (state_ == kWaiting)
        HandleWaiting();
    else
        HandleWriting();
}

bool LSoundRecorder::WriteBlock(const int32_t* samples, int32_t frames) {
    if (frames > 0)
        sink_->Write(samples, frames);
    // A sink whose write failed (a full disk) has ended its file.
    return !sink_->IsInvalid();
}

void LSoundRecorder::HandleWaiting() {
    const uint32_t session = session_;
    if (current_.Level() <= startThreshold_) {
        std::copy_n(block_.get(), samplesPerBuffer_, preRoll_.get());
        if (notify_)
            notify_->OnLevels(&current_, user_);
        return;
    }
    // When the sound is already there in the block's first half, its onset
    // may lie just before the block: half a block of what came before goes
    // first.
    const int32_t half = framesPerBuffer_ / 2;
    LSoundLevels firstHalf;
    MeasurePeakLevels(block_.get(), half, channels_, &firstHalf);
    const bool written = (firstHalf.Level() <= startThreshold_ ||
                          WriteBlock(preRoll_.get() + static_cast<size_t>(half) * channels_,
                                     framesPerBuffer_ - half)) &&
                         WriteBlock(block_.get(), framesPerBuffer_);
    if (!written) {
        Stop();
        return;
    }
    state_ = kWriting;
    // The block just written is sound: the silence trimmed later is counted
    // from its end.
    lastSound_ = SinkTicks();

    if (notify_)
        notify_->OnSound(user_);
    if (session == session_ && notify_)
        notify_->OnPosition(SinkTicks(), user_);
    if (session == session_ && notify_)
        notify_->OnLevels(&current_, user_);
}

void LSoundRecorder::HandleWriting() {
    const uint32_t session = session_;
    if (!WriteBlock(block_.get(), framesPerBuffer_)) {
        Stop();
        return;
    }
    const int32_t position = SinkTicks();
    if (current_.Level() > stopThreshold_) {
        lastSound_ = position;
    } else if (int64_t{position} - lastSound_ > silenceTimeout_) {
        // The pause is too long: keep 0.7 s of it and wait for sound again.
        const int32_t keep =
            TicksToFrames64(int64_t{lastSound_} + kKeptPauseTicks, sink_->sampleRate);
        if (keep < sink_->position)
            sink_->Truncate(keep);
        state_ = kWaiting;
        // This block is what comes before the next onset.
        std::copy_n(block_.get(), samplesPerBuffer_, preRoll_.get());
        if (notify_)
            notify_->OnWaiting(user_);
        if (session == session_ && notify_)
            notify_->OnPosition(SinkTicks(), user_);
        return;
    }
    if (notify_)
        notify_->OnPosition(position, user_);
    if (session == session_ && notify_)
        notify_->OnLevels(&current_, user_);
    if (session == session_ && state_ == kWriting && maxDuration_ > 0 && position > maxDuration_)
        Stop();
}

void LSoundRecorder::Discard() {
    ORVIA_ASSERT_MAIN_THREAD();
    if (state_ == kIdle)
        return;
    sink_->Truncate(0);
    lastSound_ = 0;
    if (state_ == kWaiting)
        return;
    state_ = kWaiting;
    std::fill(preRoll_.get(), preRoll_.get() + samplesPerBuffer_, 0);
    const uint32_t session = session_;
    if (notify_)
        notify_->OnWaiting(user_);
    if (session == session_ && notify_)
        notify_->OnPosition(0, user_);
    if (session == session_)
        NotifyEmptyLevels();
}

void LSoundRecorder::Stop() {
    ORVIA_ASSERT_MAIN_THREAD();
    Halt(true);
}

void LSoundRecorder::Halt(bool notify) {
    if (state_ == kIdle)
        return;
    CloseDevice();
    // Silence more than 50 ms after the last sound goes.
    const int64_t end = int64_t{lastSound_} + kKeptTailTicks;
    if (end < SinkTicks())
        sink_->Truncate(TicksToFrames64(end, sink_->sampleRate));
    block_.reset();
    preRoll_.reset();
    sink_.reset();  // a file sink completes its file with its last handle
    state_ = kIdle;
    ++session_;
    if (!notify || !notify_)
        return;
    const uint32_t session = session_;
    notify_->OnRecordStop(user_);
    if (session == session_)
        NotifyEmptyLevels();
}

}  // namespace orvia
