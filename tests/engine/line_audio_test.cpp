// The stages of the line audio chain that the settings ask for.
#include <optional>
#include <string>

#include "engine/line_audio.h"
#include "engine_fixture.h"
#include "store/settings_store.h"

namespace orvia::test {
namespace {

class LineAudioTest : public EngineTest {};

TEST_F(LineAudioTest, StagesAppearOnlyBeyondTheirThresholds) {
    struct Case {
        const char* highpass;
        const char* compressor;
        const char* gain;
        std::optional<int32_t> highPassHz;
        std::optional<int> compressorDb;
        std::optional<int> gainDb;
    } cases[] = {
        {nullptr, nullptr, nullptr, std::nullopt, std::nullopt, std::nullopt},
        {"20", "-2dB", "1dB", std::nullopt, std::nullopt, std::nullopt},
        {"0", "0dB", "-1dB", std::nullopt, std::nullopt, std::nullopt},
        {"21", "-3dB", "2dB", 21, -3, 2},
        {"1500", "-18dB", "-2dB", 1500, -18, -2},
        {"300", "--dB", "8dB", 300, -127, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.highpass ? c.highpass : "-") + " " +
                     (c.compressor ? c.compressor : "-") + " " + (c.gain ? c.gain : "-"));
        ASSERT_TRUE(WriteFile(Store().SettingsFile(), ""));
        if (c.highpass)
            Setting("settings", "audiohighpass", c.highpass);
        if (c.compressor)
            Setting("settings", "audiocompressorthres", c.compressor);
        if (c.gain)
            Setting("settings", "audiogain", c.gain);
        const LineAudioStages stages = ReadLineAudioStages();
        EXPECT_EQ(stages.highPassHz, c.highPassHz);
        EXPECT_EQ(stages.compressorThresholdDb, c.compressorDb);
        EXPECT_EQ(stages.gainDb, c.gainDb);
    }
}

}  // namespace
}  // namespace orvia::test
