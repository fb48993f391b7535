#include "test_line.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace orvia::test {

void TestLine::GenerateDigits(std::string_view digits) {
    recordSink_.reset();
    activity_ = Activity::Dialling;
    log_.push_back("digits:" + std::string(digits));
}

void TestLine::BlindTransfer(std::string_view number) {
    activity_ = Activity::Idle;
    log_.push_back("transfer:" + std::string(number));
}

void TestLine::Drop() {
    recordSink_.reset();
    activity_ = Activity::Idle;
    dropped_ = true;
    log_.push_back("drop");
}

void TestLine::Play(const LSoundSource& source) {
    recordSink_.reset();
    lastSource_ = source;
    log_.push_back("play:" + Describe(source));
    if (IsInvalid(source)) {
        activity_ = Activity::Idle;
        OnPlayComplete();
        return;
    }
    activity_ = Activity::Playing;
}

void TestLine::Record(const LSoundSink& sink, int32_t maxTicks, int8_t detectDb,
                      int32_t silenceTicks) {
    recordSink_ = sink;
    activity_ = Activity::Recording;
    log_.push_back("record:" + std::to_string(maxTicks) + "," + std::to_string(detectDb) + "," +
                   std::to_string(silenceTicks));
}

void TestLine::Wait(int32_t ticks) {
    recordSink_.reset();
    activity_ = Activity::Waiting;
    log_.push_back("wait:" + std::to_string(ticks));
}

void TestLine::Stop() {
    recordSink_.reset();
    activity_ = Activity::Idle;
    log_.push_back("stop");
}

std::vector<std::string> TestLine::TakeLog() {
    return std::exchange(log_, {});
}

bool TestLine::FinishPlay() {
    if (activity_ != Activity::Playing)
        return false;
    activity_ = Activity::Idle;
    OnPlayComplete();
    return true;
}

bool TestLine::FinishWait() {
    if (activity_ != Activity::Waiting)
        return false;
    activity_ = Activity::Idle;
    OnWaitComplete();
    return true;
}

bool TestLine::FinishDial() {
    if (activity_ != Activity::Dialling)
        return false;
    activity_ = Activity::Idle;
    OnDialComplete();
    return true;
}

int TestLine::RingUntilAnswered(int maxRings, std::string_view number, std::string_view name) {
    SetCallerId(number, name);
    dropped_ = false;
    for (int ring = 1; ring <= maxRings; ++ring) {
        if (Ring(ring))
            return ring;
    }
    return 0;
}

bool TestLine::Answer(int maxRings, std::string_view number, std::string_view name) {
    if (RingUntilAnswered(maxRings, number, name) == 0)
        return false;
    CallConnected();
    return true;
}

bool TestLine::FeedRecording(int32_t frames, int32_t sample) {
    if (activity_ != Activity::Recording || IsInvalid(recordSink_))
        return false;
    const std::vector<int32_t> block(kMaxBlockFrames * recordSink_->channels, sample);
    while (frames > 0) {
        const int32_t now = std::min(frames, kMaxBlockFrames);
        recordSink_->Write(block.data(), now);
        frames -= now;
    }
    return true;
}

void TestLine::HangUpCall() {
    recordSink_.reset();
    activity_ = Activity::Idle;
    CallEnded();
}

std::string TestLine::Describe(const LSoundSource& source) const {
    if (describeSource)
        return describeSource(source);
    if (IsInvalid(source))
        return "none";
    return std::to_string(source->GetLength());
}

}  // namespace orvia::test
