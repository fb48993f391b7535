#include "audio/playback/sound_player.h"

#include <algorithm>
#include <new>
#include <utility>

#include "audio/peak_limiter.h"
#include "audio/ticks.h"
#include "platform/dispatch/dispatcher.h"
#include "platform/thread/thread_affinity.h"
#include "platform/wave/wave_registry.h"

namespace orvia {
namespace {

constexpr uint32_t kEndlessLoop = 2147483647;

// Pipeline samples (full scale 2^19) to 16-bit little-endian device samples,
// rounded as the 16-bit file writer rounds. Values beyond 16 bits, which a
// source that declares its full scale honestly never produces, are held at
// the limits instead of wrapping into loud clicks.
void ConvertTo16(const int32_t* samples, int32_t count, uint8_t* out) {
    for (int32_t i = 0; i < count; ++i) {
        const int64_t v = std::clamp<int64_t>((int64_t{samples[i]} + 8) >> 4, -32768, 32767);
        const auto bits = static_cast<uint16_t>(v);
        out[2 * i] = static_cast<uint8_t>(bits & 0xFF);
        out[2 * i + 1] = static_cast<uint8_t>(bits >> 8);
    }
}

}  // namespace

// The owner's side of the posts: deliveries find the player through it, and
// its player pointer is cleared when the player goes, so a delivery still
// queued then does nothing.
struct LSoundPlayer::Window {
    LSoundPlayer* player = nullptr;
};

LSoundPlayer::LSoundPlayer() : dispatcher_(CurrentDispatcher()) {
    if (dispatcher_) {
        window_ = std::make_shared<Window>();
        window_->player = this;
    }
}

LSoundPlayer::~LSoundPlayer() {
    // The owner is being torn down with its player: it is not notified.
    StopPlaying(false);
    LThread::Stop();
    if (window_)
        window_->player = nullptr;
}

void LSoundPlayer::SetNotify(LSoundPlayerNotify* notify, uint32_t user) {
    ORVIA_ASSERT_MAIN_THREAD();
    notify_ = notify;
    user_ = user;
}

void LSoundPlayer::SetMetering(bool on) {
    metering_.store(on);
}

uint16_t LSoundPlayer::State() const {
    std::lock_guard<LLockObject> guard(lock_);
    return state_;
}

int32_t LSoundPlayer::FramesPerBuffer() const {
    std::lock_guard<LLockObject> guard(lock_);
    return framesPerBuffer_;
}

int32_t LSoundPlayer::PlayPosition() const {
    std::lock_guard<LLockObject> guard(lock_);
    return playPosition_;
}

std::string LSoundPlayer::GetDeviceName(int device) {
    return WaveOutProductName(device);
}

bool LSoundPlayer::Gone(const std::shared_ptr<Window>& window) {
    return window && !window->player;
}

int32_t LSoundPlayer::ToTicks(int32_t frames) const {
    return FramesToTicks(frames, rate_);
}

bool LSoundPlayer::Play(const LSoundSource& source, bool startPaused) {
    ORVIA_ASSERT_MAIN_THREAD();
    Stop();
    if (!dispatcher_ || IsInvalid(source))
        return false;

    LSoundSource playing = source;
    if (source->maxSample > static_cast<uint32_t>(kLimit)) {
        LSoundSource limited;
        LSPPeakLimit(kLimit).Apply(limited, source);
        if (IsInvalid(limited))
            return false;
        playing = limited;
    }

    const PcmFormat format{playing->channels, playing->sampleRate};
    if (!OpenDevice(format))
        return false;

    {
        std::lock_guard<LLockObject> guard(lock_);
        framesPerBuffer_ =
            std::clamp(playing->sampleRate / 10, kMinFramesPerBuffer, kMaxBlockFrames);
        channels_ = playing->channels;
        rate_ = playing->sampleRate;
        if (!AllocateBuffers()) {
            waveOut_.reset();
            FreeBuffers();
            return false;
        }
        if (startPaused)
            waveOut_->Pause();
        state_ = kOpen | kRestart | (startPaused ? kPaused : 0);
        pending_ = 0;
        posted_ = false;
        threadEnded_ = false;
        index_ = 0;
        source_ = playing;
        playPosition_ = source_->GetPosition();
        current_ = LSoundLevels();
    }

    requestedPriority_.store(ThreadPriority::Lowest);
    if (!Start(ThreadPriority::Lowest)) {
        std::lock_guard<LLockObject> guard(lock_);
        waveOut_.reset();
        FreeBuffers();
        source_.reset();
        state_ = 0;
        return false;
    }

    const int32_t position = PlayPosition();
    if (!notify_)
        return true;
    const std::shared_ptr<Window> window = window_;
    if (startPaused)
        notify_->OnPause(user_);
    else
        notify_->OnPlay(user_);
    if (!Gone(window) && notify_)
        notify_->OnPosition(ToTicks(position), user_);
    return true;
}

bool LSoundPlayer::OpenDevice(const PcmFormat& format) {
    WaveOpenParams params;
    params.device = device_;
    params.format = format;
    // No done callback: the feeding thread polls the buffers' done flags.
    if (OpenWaveOut(params, &waveOut_) == WaveResult::Ok)
        return true;
    params.mapped = true;
    return OpenWaveOut(params, &waveOut_) == WaveResult::Ok;
}

bool LSoundPlayer::AllocateBuffers() {
    const size_t samples = static_cast<size_t>(framesPerBuffer_) * channels_;
    block_.reset(new (std::nothrow) int32_t[samples]);
    if (!block_)
        return false;
    for (LSoundPlayerWaveHeader& h : headers_) {
        h.memory.reset(new (std::nothrow) uint8_t[samples * 2]());
        if (!h.memory)
            return false;
        h.bytes = static_cast<uint32_t>(samples * 2);
        h.header.data = h.memory.get();
        h.header.length = h.bytes;
        h.header.flags.store(WaveBuffer::kDone);
        h.header.loops = 0;
        h.position = LSoundPlayerWaveHeader::kNoPosition;
        h.levels = LSoundLevels();
    }
    return true;
}

// Only once the device is closed: a queued buffer must stay alive.
void LSoundPlayer::FreeBuffers() {
    for (LSoundPlayerWaveHeader& h : headers_) {
        h.memory.reset();
        h.bytes = 0;
        h.header.data = nullptr;
        h.header.length = 0;
        h.header.flags.store(0);
        h.position = LSoundPlayerWaveHeader::kNoPosition;
    }
    block_.reset();
    framesPerBuffer_ = 0;
}

void LSoundPlayer::Stop() {
    StopPlaying(true);
}

void LSoundPlayer::StopPlaying(bool notify) {
    ORVIA_ASSERT_MAIN_THREAD();
    if (!IsOpen())
        return;
    // The feeding thread takes the lock in every round, so it is stopped
    // without the lock held.
    LThread::Stop();
    {
        std::lock_guard<LLockObject> guard(lock_);
        if (waveOut_)
            waveOut_->Reset();
        waveOut_.reset();
        FreeBuffers();
        source_.reset();
        state_ = 0;
        pending_ = 0;
        threadEnded_ = false;
        current_ = LSoundLevels();
    }
    if (!notify || !notify_)
        return;
    const std::shared_ptr<Window> window = window_;
    notify_->OnStop(user_);
    if (!Gone(window) && metering_.load() && notify_) {
        const LSoundLevels empty;
        notify_->OnLevels(&empty, user_);
    }
}

void LSoundPlayer::Pause() {
    ORVIA_ASSERT_MAIN_THREAD();
    {
        std::lock_guard<LLockObject> guard(lock_);
        if (!(state_ & kOpen) || (state_ & kPaused))
            return;
        waveOut_->Pause();
        state_ |= kPaused;
    }
    if (notify_)
        notify_->OnPause(user_);
}

void LSoundPlayer::Hold() {
    ORVIA_ASSERT_MAIN_THREAD();
    LSoundLevels levels;
    int32_t position = 0;
    bool ended = false;
    {
        std::lock_guard<LLockObject> guard(lock_);
        if (!(state_ & kOpen))
            return;
        if (state_ & kHold) {
            if (!(state_ & kPaused))
                return;
            // Paused while holding: the preview is still queued.
            waveOut_->Restart();
            state_ &= static_cast<uint16_t>(~kPaused);
        } else {
            waveOut_->Reset();
            ForgetHeaderPositions();
            SeekSource(playPosition_);
            QueuePreview(&levels);
            state_ = kOpen | kHold | kRestart;
            pending_ = 0;
            requestedPriority_.store(ThreadPriority::Idle);
            ended = threadEnded_;
            threadEnded_ = false;
        }
        position = playPosition_;
    }
    RestartThreadIfEnded(ended, ThreadPriority::Idle);
    const std::shared_ptr<Window> window = window_;
    NotifyPreviewLevels(levels);
    if (!Gone(window) && notify_)
        notify_->OnHold(user_);
    if (!Gone(window) && notify_)
        notify_->OnPosition(ToTicks(position), user_);
}

void LSoundPlayer::Continue() {
    ORVIA_ASSERT_MAIN_THREAD();
    {
        std::lock_guard<LLockObject> guard(lock_);
        if (!(state_ & kOpen))
            return;
        if (state_ & kHold) {
            // The pass playing is the loop's last; the buffers queued behind
            // it follow. A preview the device has not begun yet loses its
            // loop marks first, so it plays once instead of looping for good.
            headers_[0].header.flags.fetch_and(~WaveBuffer::kBeginLoop);
            waveOut_->BreakLoop();
            requestedPriority_.store(ThreadPriority::Highest);
            state_ &= static_cast<uint16_t>(~(kHold | kRestart));
        }
        if (state_ & kPaused) {
            waveOut_->Restart();
            state_ &= static_cast<uint16_t>(~kPaused);
        }
    }
    if (notify_)
        notify_->OnPlay(user_);
}

void LSoundPlayer::SetPosition(int32_t frame) {
    ORVIA_ASSERT_MAIN_THREAD();
    LSoundLevels levels;
    int32_t position = 0;
    bool ended = false;
    bool holding = false;
    {
        std::lock_guard<LLockObject> guard(lock_);
        if (!(state_ & kOpen))
            return;
        waveOut_->Reset();
        ForgetHeaderPositions();
        SeekSource(frame);
        if (state_ & kPaused)
            waveOut_->Pause();  // the reset let go of the pause
        holding = (state_ & kHold) != 0;
        if (!holding) {
            index_ = 0;
            requestedPriority_.store(ThreadPriority::Lowest);
        } else {
            QueuePreview(&levels);
            requestedPriority_.store(ThreadPriority::Idle);
        }
        state_ |= kRestart;
        pending_ = 0;
        ended = threadEnded_;
        threadEnded_ = false;
        position = playPosition_;
    }
    RestartThreadIfEnded(ended, holding ? ThreadPriority::Idle : ThreadPriority::Lowest);
    const std::shared_ptr<Window> window = window_;
    NotifyPreviewLevels(levels);
    if (!Gone(window) && notify_)
        notify_->OnPosition(ToTicks(position), user_);
}

void LSoundPlayer::ForgetHeaderPositions() {
    for (LSoundPlayerWaveHeader& h : headers_)
        h.position = LSoundPlayerWaveHeader::kNoPosition;
}

void LSoundPlayer::SeekSource(int32_t frame) {
    source_->Seek(frame);
    playPosition_ = source_->GetPosition();
}

// Header 0 gets a quarter block read at the source position, repeated to
// fill the whole buffer, and loops on the device until the loop is broken.
// The thread fills the headers after it as usual.
void LSoundPlayer::QueuePreview(LSoundLevels* levels) {
    LSoundPlayerWaveHeader& h = headers_[0];
    const int32_t frames = framesPerBuffer_;
    const int32_t quarter = (frames + 3) / 4;
    const size_t frameBytes = static_cast<size_t>(channels_) * 2;
    source_->Read(block_.get(), quarter);
    ConvertTo16(block_.get(), quarter * channels_, h.memory.get());
    for (int32_t f = quarter; f < frames; ++f)
        std::copy_n(h.memory.get() + static_cast<size_t>(f % quarter) * frameBytes, frameBytes,
                    h.memory.get() + static_cast<size_t>(f) * frameBytes);
    h.position = source_->GetPosition();
    if (metering_.load()) {
        MeasureMeanSquareLevels(block_.get(), quarter, channels_, &h.levels);
        if (notify_)
            *levels = h.levels;
    }
    h.header.length = h.bytes;
    h.header.loops = kEndlessLoop;
    h.header.flags.store(WaveBuffer::kDone | WaveBuffer::kBeginLoop | WaveBuffer::kEndLoop);
    waveOut_->Write(&h.header);
    index_ = 1;
}

void LSoundPlayer::NotifyPreviewLevels(const LSoundLevels& levels) {
    if (levels.count > 0 && notify_ && metering_.load())
        notify_->OnLevels(&levels, user_);
}

// After play complete the feeding thread has ended; an operation that starts
// the queue again needs it back.
void LSoundPlayer::RestartThreadIfEnded(bool ended, ThreadPriority priority) {
    if (!ended)
        return;
    LThread::Stop();
    Start(priority);
}

void LSoundPlayer::DeliverEvents() {
    ORVIA_ASSERT_MAIN_THREAD();
    uint16_t pending = 0;
    int32_t position = 0;
    int32_t length = 0;
    LSoundLevels levels;
    {
        std::lock_guard<LLockObject> guard(lock_);
        posted_ = false;
        if (!(state_ & kOpen)) {
            pending_ = 0;
            return;
        }
        pending = pending_;
        if (pending & kPlayComplete)
            length = ToTicks(source_->GetLength());
        else
            pending_ = 0;
        position = playPosition_;
        levels = current_;
    }
    const std::shared_ptr<Window> window = window_;
    if (pending & kPlayComplete) {
        if (notify_)
            notify_->OnPosition(length, user_);
        if (!Gone(window))
            Stop();
        return;
    }
    if ((pending & kPositionChanged) && notify_)
        notify_->OnPosition(ToTicks(position), user_);
    if (Gone(window))
        return;
    if ((pending & kLevelsChanged) && metering_.load() && notify_)
        notify_->OnLevels(&levels, user_);
}

// Under the lock: one delivery at a time is on its way; it hands over
// whatever is pending when it arrives.
void LSoundPlayer::PostEvents() {
    if (posted_)
        return;
    posted_ = true;
    dispatcher_->Post([window = std::weak_ptr<Window>(window_)] {
        const std::shared_ptr<Window> alive = window.lock();
        if (alive && alive->player)
            alive->player->DeliverEvents();
    });
}

void LSoundPlayer::ApplyRequestedPriority() {
    const ThreadPriority wanted = requestedPriority_.load();
    if (wanted == appliedPriority_)
        return;
    SetCurrentThreadPriority(wanted);
    appliedPriority_ = wanted;
}

bool LSoundPlayer::AllHeadersDone() const {
    return std::all_of(headers_.begin(), headers_.end(),
                       [](const LSoundPlayerWaveHeader& h) { return h.header.IsDone(); });
}

// Reads the next block into a finished header and queues it; the last block
// of the source is queued only up to the source's end.
void LSoundPlayer::FillHeader(LSoundPlayerWaveHeader& h) {
    const int32_t frames = framesPerBuffer_;
    source_->Read(block_.get(), frames);
    ConvertTo16(block_.get(), frames * channels_, h.memory.get());
    const int64_t position = source_->GetPosition();
    const int64_t length = source_->GetLength();
    const int64_t queued = position < length ? frames : frames - (position - length);
    h.position = static_cast<int32_t>(position);
    if (metering_.load())
        MeasureMeanSquareLevels(block_.get(), frames, channels_, &h.levels);
    if (queued < 1 || queued > frames)
        return;
    h.header.length = static_cast<uint32_t>(queued) * channels_ * 2;
    h.header.loops = 0;
    h.header.flags.store(WaveBuffer::kDone);
    waveOut_->Write(&h.header);
}

int LSoundPlayer::NextWaitMs() const {
    const int poll = pollMs_.load();
    if (source_->GetPosition() < source_->GetLength())
        return poll;
    // The whole source is queued: wait for what is left of it to play.
    int64_t queuedFrames = 0;
    const int64_t frameBytes = static_cast<int64_t>(channels_) * 2;
    for (const LSoundPlayerWaveHeader& h : headers_)
        if (!h.header.IsDone())
            queuedFrames += h.header.length / frameBytes;
    const int64_t queuedMs = queuedFrames * 1000 / std::max<int32_t>(rate_, 1);
    const int64_t bufferMs = int64_t{framesPerBuffer_} * 1000 / std::max<int32_t>(rate_, 1);
    if (queuedMs > 2 * bufferMs)
        return static_cast<int>(std::min<int64_t>(poll, queuedMs - bufferMs));
    return std::min(poll, kEndPollMs);
}

void LSoundPlayer::Run() {
    appliedPriority_ = ThreadPriority::Lowest;
    waitedMs_ = 0;
    while (!StopRequested()) {
        ApplyRequestedPriority();
        int wait = 0;
        {
            std::lock_guard<LLockObject> guard(lock_);
            LSoundPlayerWaveHeader& h = headers_[index_];
            if (!h.header.IsDone()) {
                // What the finished buffers said goes to the owner in one
                // delivery before the thread waits.
                if (pending_)
                    PostEvents();
                // The queue is full: from now on the thread has to be quick.
                if (state_ & kRestart) {
                    requestedPriority_.store(ThreadPriority::Highest);
                    state_ &= static_cast<uint16_t>(~kRestart);
                }
                wait = NextWaitMs();
                // A held preview or a paused device returns nothing on
                // purpose; only a playing device can stall.
                if (!(state_ & (kHold | kPaused))) {
                    waitedMs_ += wait;
                    if (waitedMs_ > kStallPolls * std::min(pollMs_.load(), kPollMs)) {
                        pending_ |= kPlayComplete;
                        PostEvents();
                    }
                }
            } else {
                waitedMs_ = 0;
                if (h.position != LSoundPlayerWaveHeader::kNoPosition) {
                    playPosition_ = h.position;
                    pending_ |= kPositionChanged;
                    if (metering_.load()) {
                        current_ = h.levels;
                        pending_ |= kLevelsChanged;
                    }
                }
                if (source_->GetPosition() < source_->GetLength()) {
                    FillHeader(h);
                } else if (AllHeadersDone()) {
                    pending_ |= kPlayComplete;
                    PostEvents();
                    // Every buffer is back: nothing to reset.
                    threadEnded_ = true;
                    return;
                }
                index_ = static_cast<uint8_t>((index_ + 1) % kBufferCount);
            }
        }
        if (wait > 0)
            WaitForStop(wait);
    }
    std::lock_guard<LLockObject> guard(lock_);
    if (waveOut_)
        waveOut_->Reset();
}

}  // namespace orvia
