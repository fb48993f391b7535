#include "line/call_audio.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "audio/channel_conversion.h"
#include "audio/rate_conversion.h"
#include "audio/stub_source.h"
#include "line/vline.h"
#include "platform/diagnostics/diagnostics.h"
#include "platform/thread/thread_affinity.h"

namespace orvia {
namespace {

constexpr int32_t kTicksPerSecond = 10000;

int32_t SinkTicks(const LSoundSink& sink) {
    if (!sink || sink->sampleRate == 0 || sink->position <= 0)
        return 0;
    return static_cast<int32_t>(static_cast<int64_t>(sink->position) * kTicksPerSecond /
                                sink->sampleRate);
}

bool IsDevice(int device) {
    return device >= kDefaultWaveDevice && device <= kLastWaveDevice;
}

}  // namespace

LCallAudio::LCallAudio(LVLine& line) : line_(line) {
    player_.SetNotify(&playerEvents_);
    recorder_.SetNotify(&recorderEvents_);
}

LCallAudio::~LCallAudio() {
    // Nothing reaches the line while it is being destroyed.
    player_.SetNotify(nullptr);
    recorder_.SetNotify(nullptr);
    recordSink_.reset();
}

int64_t LCallAudio::Ticks() const {
    if (ticks_)
        return ticks_();
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool LCallAudio::StartPlayer(const LSoundSource& source, int device, bool convert) {
    if (!IsDevice(device) || IsInvalid(source))
        return false;
    LSoundSource played = source;
    if (convert) {
        LSoundSource mono;
        LSPConvChannels(1).Apply(mono, source);
        LSPConvertRate(kLineRate).Apply(played, mono);
    }
    player_.SetDevice(static_cast<int8_t>(device));
    return player_.Play(played);
}

void LCallAudio::Play(const LSoundSource& source, int device) {
    ORVIA_ASSERT_MAIN_THREAD();
    Stop();
    state_ = State::Playing;
    const bool started = StartPlayer(source, device, true);
    if (observer_)
        observer_->OnLinePlay(source, started);
    if (!started) {
        state_ = State::Idle;
        line_.OnPlayComplete();
    }
}

void LCallAudio::Wait(int32_t ticks, int device) {
    ORVIA_ASSERT_MAIN_THREAD();
    Stop();
    state_ = State::Waiting;
    const int32_t t = std::max(ticks, 0);
    const int32_t frames =
        (t / kTicksPerSecond) * kLineRate + (t % kTicksPerSecond) * kLineRate / kTicksPerSecond;
    if (observer_)
        observer_->OnLineWait(ticks);
    // A wait that cannot play its silence ends at once, so the call moves on.
    // The silence is made in the line's format: no conversion.
    if (!StartPlayer(MakeSilence(frames, kLineRate, 1), device, false)) {
        state_ = State::Idle;
        line_.OnWaitComplete();
    }
}

void LCallAudio::Record(const LSoundSink& sink, int32_t maxTicks, int8_t detectDb,
                        int32_t silenceTicks, int device) {
    ORVIA_ASSERT_MAIN_THREAD();
    Stop();
    recordTimerStart_ = Ticks();
    recording_ = true;
    silenceLimitMs_ = std::max<int64_t>(silenceTicks / 10, kMinSilenceLimitMs);
    bool started = false;
    if (IsDevice(device) && !IsInvalid(sink)) {
        recorder_.SetDevice(static_cast<int8_t>(device));
        recordSink_ = sink;
        started = recorder_.Record(sink, maxTicks, detectDb, kRecorderSilenceTicks);
        if (!started)
            recordSink_.reset();
    }
    if (observer_)
        observer_->OnLineRecord(sink, started);
    if (!started) {
        // A file that could not be created was said by whoever made it.
        if (!IsInvalid(sink))
            ReportError("line", IsDevice(device)
                                    ? "a recording could not start on wave-in device " +
                                          std::to_string(device) + "; the call is ended"
                                    : std::string("a recording could not start: the call has no "
                                                  "wave-in device; the call is ended"));
        recording_ = false;
        line_.Drop();
    }
}

void LCallAudio::Stop() {
    ORVIA_ASSERT_MAIN_THREAD();
    state_ = State::Idle;
    recording_ = false;
    player_.Stop();
    if (recorder_.IsWriting() && recordSink_) {
        const int32_t length = SinkTicks(recordSink_);
        if (length > kStopCutTicks) {
            const int64_t keep = static_cast<int64_t>(length - kStopCutTicks) *
                                 recordSink_->sampleRate / kTicksPerSecond;
            recordSink_->Truncate(static_cast<int32_t>(keep));
        }
    }
    recorder_.Stop();
    FinishRecording();
}

void LCallAudio::FinishRecording() {
    if (!recordSink_)
        return;
    LSoundSink sink = std::move(recordSink_);
    recordSink_.reset();
    if (observer_)
        observer_->OnLineRecordStop(sink, SinkTicks(sink));
}

void LCallAudio::OnPlayerStop() {
    const State state = state_;
    state_ = State::Idle;
    if (state == State::Playing)
        line_.OnPlayComplete();
    else if (state == State::Waiting)
        line_.OnWaitComplete();
}

void LCallAudio::PlayerEvents::OnPosition(int32_t ticks, uint32_t) {
    audio_.line_.OnPlayPosition(static_cast<uint32_t>(std::max(ticks, 0)));
}

void LCallAudio::PlayerEvents::OnLevels(const LSoundLevels* levels, uint32_t) {
    audio_.line_.OnPlayLevel(static_cast<int8_t>(levels ? levels->Level() : kSilenceDb));
}

void LCallAudio::OnRecorderStop() {
    // The recorder stopped by itself at the maximum length: the call ends
    // (the engine keeps the message when it hears of the end).
    FinishRecording();
    if (recording_) {
        recording_ = false;
        line_.Drop();
    }
}

void LCallAudio::RecorderEvents::OnPosition(int32_t ticks, uint32_t) {
    audio_.line_.OnRecordPosition(static_cast<uint32_t>(std::max(ticks, 0)));
}

void LCallAudio::OnRecorderLevels(const LSoundLevels* levels) {
    if (recording_) {
        const int64_t now = Ticks();
        if (recorder_.IsWaiting()) {
            // A clock that went backwards restarts the timer from 0.
            if (now < recordTimerStart_)
                recordTimerStart_ = 0;
            if (now - recordTimerStart_ > silenceLimitMs_) {
                line_.Drop();
                return;
            }
        } else if (recorder_.IsWriting()) {
            recordTimerStart_ = now;
        }
    }
    line_.OnRecordLevel(static_cast<int8_t>(levels ? levels->Level() : kSilenceDb));
}

}  // namespace orvia
