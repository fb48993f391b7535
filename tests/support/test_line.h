// TestLine: an LVLine for tests. It records every operation the call
// handler asks for, keeps track of what it is doing (playing, waiting,
// dialling, recording) and lets the test deliver the events a real line
// would: the end of a play, a wait or a dial string, keys, the end of the
// call, and the caller's audio into a running recording.
//
// Like a real line, a Play of an empty or invalid source completes at once,
// from inside Play.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "line/vline.h"

namespace orvia::test {

class TestLine : public LVLine {
public:
    enum class Activity { Idle, Playing, Waiting, Dialling, Recording };

    // Names a played source in the log; the default gives "none" for an empty
    // or invalid source and its length in frames otherwise.
    std::function<std::string(const LSoundSource&)> describeSource;

    void GenerateDigits(std::string_view digits) override;
    void BlindTransfer(std::string_view number) override;
    void Drop() override;
    void Play(const LSoundSource& source) override;
    void Record(const LSoundSink& sink, int32_t maxTicks, int8_t detectDb,
                int32_t silenceTicks) override;
    void Wait(int32_t ticks) override;
    void Stop() override;
    bool IsRecording() override { return activity_ == Activity::Recording; }

    // The operations so far, one text each: "digits:<s>", "transfer:<n>",
    // "drop", "play:<source>", "record:<max>,<db>,<silence>", "wait:<ticks>",
    // "stop".
    const std::vector<std::string>& Log() const { return log_; }
    // The log so far, which is then emptied.
    std::vector<std::string> TakeLog();

    Activity CurrentActivity() const { return activity_; }
    const LSoundSource& LastSource() const { return lastSource_; }
    bool Dropped() const { return dropped_; }

    // The test side. Each returns false (and does nothing) when the line is
    // not doing that.
    bool FinishPlay();
    bool FinishWait();
    bool FinishDial();
    // The caller's audio: frames (one channel) of the given sample value
    // written into the running recording's sink. False when not recording.
    // Any other operation, or the end of the call, releases the sink, as a
    // real line's recorder lets go of it when it stops.
    bool FeedRecording(int32_t frames, int32_t sample = 0);

    // Offers a call: sets the caller id, then rings 1, 2, ... up to maxRings.
    // Returns the ring at which the owner answered, 0 when it did not.
    int RingUntilAnswered(int maxRings, std::string_view number = {}, std::string_view name = {});
    // Answers an offered call: rings until answered, then connects. False
    // when the owner did not answer within maxRings.
    bool Answer(int maxRings = 10, std::string_view number = {}, std::string_view name = {});
    // The caller (or the network) ends the call.
    void HangUpCall();

private:
    std::string Describe(const LSoundSource& source) const;

    std::vector<std::string> log_;
    Activity activity_ = Activity::Idle;
    LSoundSource lastSource_;
    LSoundSink recordSink_;
    bool dropped_ = false;
};

}  // namespace orvia::test
