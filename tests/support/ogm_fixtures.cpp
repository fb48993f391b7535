#include "ogm_fixtures.h"

#include <QAbstractButton>
#include <QTest>
#include <cmath>
#include <numbers>

#include "audio/pcm_file_sink.h"
#include "audio/wave_source.h"
#include "engine/ogm_files.h"
#include "store/profile.h"
#include "store/settings_store.h"

namespace orvia::test {

bool ToneNewAudio::Record(QWidget*, const std::string& wavePath) {
    asked.push_back("record " + wavePath);
    if (accept)
        WriteTone(wavePath, 8000, 1, 1.5);
    return accept;
}

bool ToneNewAudio::Synthesize(QWidget*, const std::string& wavePath) {
    asked.push_back("synthesize " + wavePath);
    if (accept)
        WriteTone(wavePath, 22050, 1, 1.0);
    return accept;
}

void ClickBox(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(6, button->height() / 2));
}

void WriteTone(const std::string& path, int32_t rate, int channels, double seconds) {
    LSoundSink sink = CreatePCMWaveSink(path, rate, static_cast<uint32_t>(channels), 16, 0);
    const auto frames = static_cast<int32_t>(seconds * rate);
    std::vector<int32_t> block(static_cast<std::size_t>(kMaxBlockFrames) *
                               static_cast<std::size_t>(channels));
    for (int32_t done = 0; done < frames;) {
        const int32_t count = std::min(kMaxBlockFrames, frames - done);
        for (int32_t i = 0; i < count; ++i) {
            const double phase = 2 * std::numbers::pi * 440.0 * (done + i) / rate;
            const auto sample = static_cast<int32_t>(std::lround(8000.0 * std::sin(phase))) * 16;
            for (int c = 0; c < channels; ++c)
                block[static_cast<std::size_t>(i * channels + c)] = sample;
        }
        sink->Write(block.data(), count);
        done += count;
    }
}

WaveShape ShapeOf(const std::string& path) {
    const LSoundSource source = OpenWaveSource(path);
    if (IsInvalid(source))
        return {};
    const std::string bytes = ReadFile(path);
    // The bits per sample of the "fmt " chunk of a plain PCM file.
    int bits = 0;
    const std::size_t fmt = bytes.find("fmt ");
    if (fmt != std::string::npos && fmt + 24 <= bytes.size())
        bits = static_cast<unsigned char>(bytes[fmt + 22]) |
               static_cast<unsigned char>(bytes[fmt + 23]) << 8;
    return {source->sampleRate, source->channels, bits, source->GetLength()};
}

std::string OgmEditorTest::Key(const std::string& ogm, const char* section, const char* key) const {
    return ReadProfileValue(OgmDefinitionPath(ogm), section, key).value_or("<missing>");
}

std::string OgmEditorTest::OgmFile(const std::string& ogm, const char* extension) const {
    return Store().OGMs() + ogm + extension;
}

}  // namespace orvia::test
