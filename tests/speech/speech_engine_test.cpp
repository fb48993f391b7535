#include "speech/speech_engine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace orvia {
namespace {

class MemorySink : public LSoundSinkBase {
public:
    explicit MemorySink(uint32_t rate) : LSoundSinkBase(rate, kFullScale16, 1) {}
    void Write(const int32_t* buffer, int32_t frames) override {
        position += frames;
        samples.insert(samples.end(), buffer, buffer + frames);
    }
    std::vector<int32_t> samples;
};

struct Spoken {
    SpeechResult result;
    std::vector<int32_t> samples;
};

Spoken Speak(const SpeechRequest& request) {
    auto* sink = new MemorySink(static_cast<uint32_t>(SpeechSampleRate()));
    LSoundSink handle(sink);
    Spoken spoken{SynthesizeToSink(request, handle), {}};
    spoken.samples = sink->samples;
    return spoken;
}

int32_t Peak(const std::vector<int32_t>& samples) {
    int32_t peak = 0;
    for (int32_t s : samples)
        peak = std::max(peak, std::abs(s));
    return peak;
}

TEST(SpeechEngine, ListsVoices) {
    const int count = CountEngines();
    ASSERT_GT(count, 0) << "espeak-ng has no voices (is espeak-ng-data installed?)";
    EXPECT_FALSE(EngineName(0).empty());
    EXPECT_FALSE(EngineName(count - 1).empty());
    EXPECT_TRUE(EngineName(count).empty());
    EXPECT_TRUE(EngineName(-1).empty());
    EXPECT_GT(SpeechSampleRate(), 0);
}

TEST(SpeechEngine, SpeaksATextAudibly) {
    SpeechRequest request;
    request.text = "Please leave a message after the tone.";
    const Spoken spoken = Speak(request);
    ASSERT_EQ(spoken.result, SpeechResult::Ok);
    // Over a second of speech, at a clearly audible level in 16-bit scale.
    EXPECT_GT(spoken.samples.size(), static_cast<std::size_t>(SpeechSampleRate()));
    EXPECT_GT(Peak(spoken.samples), 4000 * 16);
    EXPECT_LE(Peak(spoken.samples), static_cast<int32_t>(kFullScale16) + 16);
}

TEST(SpeechEngine, AnyIndexOrInstalledNameSpeaks) {
    // espeak-ng varies its output slightly from run to run, so the voices are
    // told apart by the result only: an index beyond the list still speaks.
    for (int index : {CountEngines() + 5, -3}) {
        SpeechRequest request;
        request.text = "one two three";
        request.engineIndex = index;
        const Spoken spoken = Speak(request);
        EXPECT_EQ(spoken.result, SpeechResult::Ok) << index;
        EXPECT_GT(Peak(spoken.samples), 1000 * 16) << index;
    }
    SpeechRequest byName;
    byName.text = "one two three";
    byName.voiceName = EngineName(CountEngines() - 1);
    EXPECT_EQ(Speak(byName).result, SpeechResult::Ok);
}

TEST(SpeechEngine, FailuresAreResults) {
    SpeechRequest unknown;
    unknown.text = "hello";
    unknown.voiceName = "no such voice";
    EXPECT_EQ(Speak(unknown).result, SpeechResult::NoVoice);

    SpeechRequest cancelled;
    cancelled.text = "This text is long enough to be spoken in several pieces of audio.";
    cancelled.cancelled = [] { return true; };
    const Spoken c = Speak(cancelled);
    EXPECT_EQ(c.result, SpeechResult::Cancelled);
    EXPECT_TRUE(c.samples.empty());

    SpeechRequest ok;
    ok.text = "hello";
    EXPECT_EQ(SynthesizeToSink(ok, LSoundSink()), SpeechResult::Failed);
}

}  // namespace
}  // namespace orvia
