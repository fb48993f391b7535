#include "platform/mixer/mixer_control.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/wave/call_devices.h"
#include "platform/wave/fast_test_device.h"
#include "platform/wave/wave_registry.h"

namespace orvia {
namespace {

using ::testing::ElementsAre;

// A sound card's mixer held in memory: what each element can do and what was
// last set on it.
struct FakeCard {
    struct Element {
        Element(std::string n, unsigned c, std::vector<std::string> s = {})
            : name(std::move(n)), caps(c), sources(std::move(s)) {}

        std::string name;
        unsigned caps = 0;
        std::vector<std::string> sources;
        int playbackLevel = -1;
        int playbackSwitch = -1;
        int captureLevel = -1;
        int captureSwitch = -1;
        int selected = -1;
    };
    std::vector<Element> elements;
    int opened = 0;

    Element& Named(const std::string& name) {
        for (auto& e : elements) {
            if (e.name == name)
                return e;
        }
        ADD_FAILURE() << "no element " << name;
        return elements.front();
    }
};

class FakeMixer : public MixerElements {
public:
    explicit FakeMixer(FakeCard* card) : card_(card) {}
    int Count() const override { return static_cast<int>(card_->elements.size()); }
    std::string Name(int e) const override { return At(e).name; }
    unsigned Capabilities(int e) const override { return At(e).caps; }
    void SetPlaybackLevel(int e, uint16_t level) override { At(e).playbackLevel = level; }
    void SetPlaybackSwitch(int e, bool on) override { At(e).playbackSwitch = on; }
    void SetCaptureLevel(int e, uint16_t level) override { At(e).captureLevel = level; }
    void SetCaptureSwitch(int e, bool on) override { At(e).captureSwitch = on; }
    int SourceCount(int e) const override { return static_cast<int>(At(e).sources.size()); }
    std::string SourceName(int e, int s) const override {
        return At(e).sources[static_cast<size_t>(s)];
    }
    void SelectSource(int e, int s) override { At(e).selected = s; }

private:
    FakeCard::Element& At(int e) const { return card_->elements.at(static_cast<size_t>(e)); }
    FakeCard* card_;
};

class FakeCardEndpoint : public FastTestDevice {
public:
    explicit FakeCardEndpoint(FakeCard* card) : card_(card) {}
    std::unique_ptr<MixerElements> OpenMixer() const override {
        ++card_->opened;
        return std::make_unique<FakeMixer>(card_);
    }

private:
    FakeCard* card_;
};

constexpr unsigned kCap = MixerElements::kCaptureVolume | MixerElements::kCaptureSwitch;
constexpr unsigned kPlay = MixerElements::kPlaybackVolume | MixerElements::kPlaybackSwitch;

class MixerControlTest : public ::testing::Test {
protected:
    void Install(FakeCard* card) {
        auto endpoint = std::make_shared<FakeCardEndpoint>(card);
        out_ = std::make_unique<ScopedWaveDevice>(WaveDirection::Output, 0, endpoint);
        in_ = std::make_unique<ScopedWaveDevice>(WaveDirection::Input, 0, endpoint);
    }

    std::unique_ptr<ScopedWaveDevice> out_;
    std::unique_ptr<ScopedWaveDevice> in_;
};

TEST(MixerLevelTest, MapsDecibelsToMixerValues) {
    const std::map<int, int> cases = {
        {-128, 0},  {-127, 0},   {-36, 0},    {-35, 1424},  {-1, 49840},
        {0, 51264}, {10, 65504}, {11, 65535}, {127, 65535},
    };
    for (const auto& [db, value] : cases)
        EXPECT_EQ(MixerLevelFromDb(db), value) << db << " dB";
}

TEST_F(MixerControlTest, DevicesWithoutAMixerDoNothingAndGiveTheFallbacks) {
    auto test = std::make_shared<FastTestDevice>();
    ScopedWaveDevice out(WaveDirection::Output, 1, test);
    ScopedWaveDevice in(WaveDirection::Input, 1, test);
    auto call = CallDevicePair::Register({1, 8000});
    ASSERT_TRUE(call);
    // A test device, a call device and an identifier with no device at all.
    for (int device : {1, call->InputId(), 40}) {
        SCOPED_TRACE(device);
        EXPECT_EQ(LMixerControl::GetRecordLineCount(device), 0);
        EXPECT_EQ(LMixerControl::GetRecordLineName(device, 0), "<MIXER INVALID>");
        EXPECT_EQ(LMixerControl::GetRecordLineName(device, -1), "Windows Record Mixer");
        EXPECT_EQ(LMixerControl::SelectRecordLine(device, 0, 0), 0);
        EXPECT_EQ(LMixerControl::GetPlayLineCount(device), 0);
        EXPECT_EQ(LMixerControl::GetPlayLineName(device, 0), "<MIXER INVALID>");
        LMixerControl::SetPlayVolume(device, 0, 0);
        LMixerControl::SetPlayLineVolume(device, 0, 0);
    }
}

TEST_F(MixerControlTest, TheDefaultDeviceLeavesTheMixerAlone) {
    FakeCard card{{{"Master", kPlay}, {"Capture", kCap}, {"Mic", kCap}}};
    auto endpoint = std::make_shared<FakeCardEndpoint>(&card);
    ScopedWaveDevice out(WaveDirection::Output, -1, endpoint);
    ScopedWaveDevice in(WaveDirection::Input, -1, endpoint);

    LMixerControl::SetPlayVolume(-1, 0, 0);
    EXPECT_EQ(LMixerControl::SelectRecordLine(-1, 0, 0), 0);
    EXPECT_EQ(LMixerControl::GetRecordLineCount(-1), 0);
    EXPECT_EQ(LMixerControl::GetRecordLineName(-1, 0), "");
    EXPECT_EQ(LMixerControl::GetRecordLineName(-1, -1), "Windows Record Mixer");
    EXPECT_EQ(LMixerControl::GetPlayLineName(-1, 0), "");
    EXPECT_EQ(card.opened, 0);
    EXPECT_EQ(card.Named("Master").playbackLevel, -1);
}

TEST_F(MixerControlTest, SelectingALineRecordsOnlyFromItThroughTheSourceSelector) {
    FakeCard card{{
        {"Master", kPlay},
        {"Capture", kCap},
        {"Input Source", MixerElements::kCaptureSource, {"Mic", "Line", "CD", "Aux"}},
        {"Mic", kCap | kPlay},
        {"Line", kCap},
        {"CD", kCap},
        {"Aux", MixerElements::kCaptureVolume},
    }};
    Install(&card);

    EXPECT_EQ(LMixerControl::GetRecordLineCount(0), 4);
    EXPECT_EQ(LMixerControl::GetRecordLineName(0, 2), "CD");
    EXPECT_EQ(LMixerControl::GetRecordLineName(0, 4), "<MIXER INVALID>");
    EXPECT_EQ(LMixerControl::GetRecordLineName(0, -1), "Windows Record Mixer");

    EXPECT_EQ(LMixerControl::SelectRecordLine(0, 2, 0), 4);
    EXPECT_EQ(card.Named("Input Source").selected, 2);
    EXPECT_EQ(card.Named("Capture").captureLevel, 51264);
    EXPECT_EQ(card.Named("Capture").captureSwitch, 1);
    EXPECT_EQ(card.Named("CD").captureLevel, 51264);
    EXPECT_EQ(card.Named("CD").captureSwitch, 1);
    for (const char* other : {"Mic", "Line"}) {
        EXPECT_EQ(card.Named(other).captureLevel, 0) << other;
        EXPECT_EQ(card.Named(other).captureSwitch, 0) << other;
    }
    EXPECT_EQ(card.Named("Aux").captureLevel, 0);
    EXPECT_EQ(card.Named("Mic").playbackLevel, -1);  // playback side untouched
    EXPECT_EQ(card.Named("Master").playbackLevel, -1);

    // A negative line changes nothing.
    card.Named("CD").captureLevel = 7;
    EXPECT_EQ(LMixerControl::SelectRecordLine(0, -1, 0), 0);
    EXPECT_EQ(card.Named("CD").captureLevel, 7);
}

TEST_F(MixerControlTest, WithoutASelectorTheRecordableElementsAreTheLines) {
    FakeCard card{{
        {"Master", kPlay},
        {"Capture", kCap},
        {"Mic", MixerElements::kCaptureSwitch},
        {"PCM", kPlay},
        {"Line", kCap},
    }};
    Install(&card);
    EXPECT_EQ(LMixerControl::GetRecordLineCount(0), 2);
    EXPECT_EQ(LMixerControl::GetRecordLineName(0, 1), "Line");
    EXPECT_EQ(LMixerControl::SelectRecordLine(0, 1, -36), 2);
    EXPECT_EQ(card.Named("Capture").captureLevel, 0);
    EXPECT_EQ(card.Named("Line").captureLevel, 0);
    EXPECT_EQ(card.Named("Line").captureSwitch, 1);
    EXPECT_EQ(card.Named("Mic").captureSwitch, 0);
}

TEST_F(MixerControlTest, PlayVolumeSetsSpeakerAndWaveOutputAndUnmutesThem) {
    FakeCard card{{
        {"Master", kPlay},
        {"PCM", kPlay},
        {"Capture", kCap},
        {"Mic", kCap | kPlay},
        {"Beep", MixerElements::kPlaybackSwitch},
    }};
    Install(&card);
    LMixerControl::SetPlayVolume(0, -6, -4);
    EXPECT_EQ(card.Named("Master").playbackLevel, MixerLevelFromDb(-6));
    EXPECT_EQ(card.Named("Master").playbackSwitch, 1);
    EXPECT_EQ(card.Named("PCM").playbackLevel, MixerLevelFromDb(-10));
    EXPECT_EQ(card.Named("PCM").playbackSwitch, 1);
    EXPECT_EQ(card.Named("Mic").playbackLevel, -1);

    // The speaker's source lines are everything with playback controls but it.
    EXPECT_EQ(LMixerControl::GetPlayLineCount(0), 3);
    std::vector<std::string> names;
    for (int i = 0; i < 4; ++i)
        names.push_back(LMixerControl::GetPlayLineName(0, i));
    EXPECT_THAT(names, ElementsAre("PCM", "Mic", "Beep", "<MIXER INVALID>"));
    LMixerControl::SetPlayLineVolume(0, 1, 3);
    EXPECT_EQ(card.Named("Mic").playbackLevel, MixerLevelFromDb(3));
    EXPECT_EQ(card.Named("Mic").playbackSwitch, 1);
}

}  // namespace
}  // namespace orvia
