#include "platform/mixer/mixer_control.h"

#include <strings.h>
#include <algorithm>
#include <memory>
#include <vector>

#include "platform/mixer/mixer_elements.h"
#include "platform/wave/wave_registry.h"

namespace orvia {
namespace {

constexpr int kMaxLines = 127;
constexpr unsigned kPlayback = MixerElements::kPlaybackVolume | MixerElements::kPlaybackSwitch;
constexpr unsigned kCapture = MixerElements::kCaptureVolume | MixerElements::kCaptureSwitch;

bool SameName(const std::string& a, const char* b) {
    return strcasecmp(a.c_str(), b) == 0;
}

std::unique_ptr<MixerElements> OpenMixerOf(WaveDirection direction, int device) {
    if (device < 0)
        return nullptr;
    auto endpoint = WaveDevices().Find(direction, device);
    return endpoint ? endpoint->OpenMixer() : nullptr;
}

int FindElement(const MixerElements& mixer, const char* name, unsigned capabilities) {
    for (int i = 0; i < mixer.Count(); ++i) {
        if ((mixer.Capabilities(i) & capabilities) && SameName(mixer.Name(i), name))
            return i;
    }
    return -1;
}

// The recording destination and its source lines as this card shows them.
struct RecordLayout {
    struct Line {
        std::string name;
        int element = -1;  // the element with the line's own controls, if any
    };

    explicit RecordLayout(const MixerElements& mixer) {
        destination = FindElement(mixer, "Capture", kCapture);
        for (int i = 0; i < mixer.Count() && selector < 0; ++i) {
            if (mixer.Capabilities(i) & MixerElements::kCaptureSource)
                selector = i;
        }
        if (selector >= 0) {
            for (int s = 0; s < mixer.SourceCount(selector) && s < kMaxLines; ++s) {
                Line line{mixer.SourceName(selector, s), -1};
                for (int i = 0; i < mixer.Count(); ++i) {
                    if (i != destination && (mixer.Capabilities(i) & kCapture) &&
                        SameName(mixer.Name(i), line.name.c_str())) {
                        line.element = i;
                        break;
                    }
                }
                lines.push_back(std::move(line));
            }
            return;
        }
        for (int i = 0; i < mixer.Count() && static_cast<int>(lines.size()) < kMaxLines; ++i) {
            if (i != destination && (mixer.Capabilities(i) & kCapture))
                lines.push_back(Line{mixer.Name(i), i});
        }
    }

    int destination = -1;
    int selector = -1;
    std::vector<Line> lines;
};

// The playback source lines: every element with playback controls but the
// speaker destination.
std::vector<int> PlayLines(const MixerElements& mixer) {
    const int master = FindElement(mixer, "Master", kPlayback);
    std::vector<int> lines;
    for (int i = 0; i < mixer.Count() && static_cast<int>(lines.size()) < kMaxLines; ++i) {
        if (i != master && (mixer.Capabilities(i) & kPlayback))
            lines.push_back(i);
    }
    return lines;
}

void SetCapture(MixerElements& mixer, int element, uint16_t level, bool on) {
    const unsigned caps = mixer.Capabilities(element);
    if (caps & MixerElements::kCaptureVolume)
        mixer.SetCaptureLevel(element, level);
    if (caps & MixerElements::kCaptureSwitch)
        mixer.SetCaptureSwitch(element, on);
}

void SetPlayback(MixerElements& mixer, int element, uint16_t level) {
    const unsigned caps = mixer.Capabilities(element);
    if (caps & MixerElements::kPlaybackVolume)
        mixer.SetPlaybackLevel(element, level);
    if (caps & MixerElements::kPlaybackSwitch)
        mixer.SetPlaybackSwitch(element, true);
}

}  // namespace

uint16_t MixerLevelFromDb(int db) {
    if (db < -35)
        return 0;
    return static_cast<uint16_t>(std::min(static_cast<long>(db + 36) * 1424, 65535L));
}

int LMixerControl::GetRecordLineCount(int device) {
    auto mixer = OpenMixerOf(WaveDirection::Input, device);
    return mixer ? static_cast<int>(RecordLayout(*mixer).lines.size()) : 0;
}

std::string LMixerControl::GetRecordLineName(int device, int line) {
    if (line < 0)
        return kDefaultLineName;
    if (device < 0)
        return {};
    auto mixer = OpenMixerOf(WaveDirection::Input, device);
    if (!mixer)
        return kInvalidLineName;
    const RecordLayout layout(*mixer);
    if (line >= static_cast<int>(layout.lines.size()))
        return kInvalidLineName;
    return ShortDeviceName(layout.lines[static_cast<size_t>(line)].name);
}

int LMixerControl::SelectRecordLine(int device, int line, int db) {
    if (line < 0)
        return 0;
    auto mixer = OpenMixerOf(WaveDirection::Input, device);
    if (!mixer)
        return 0;
    const RecordLayout layout(*mixer);
    const uint16_t level = MixerLevelFromDb(db);
    if (layout.destination >= 0)
        SetCapture(*mixer, layout.destination, level, true);
    if (layout.selector >= 0 && line < static_cast<int>(layout.lines.size()))
        mixer->SelectSource(layout.selector, line);
    for (size_t i = 0; i < layout.lines.size(); ++i) {
        const bool chosen = static_cast<int>(i) == line;
        if (layout.lines[i].element >= 0)
            SetCapture(*mixer, layout.lines[i].element, chosen ? level : 0, chosen);
    }
    return static_cast<int>(layout.lines.size());
}

void LMixerControl::SetPlayVolume(int device, int db, int offsetDb) {
    auto mixer = OpenMixerOf(WaveDirection::Output, device);
    if (!mixer)
        return;
    const int master = FindElement(*mixer, "Master", kPlayback);
    if (master >= 0)
        SetPlayback(*mixer, master, MixerLevelFromDb(db));
    const int wave = FindElement(*mixer, "PCM", kPlayback);
    if (wave >= 0)
        SetPlayback(*mixer, wave, MixerLevelFromDb(std::clamp(db + offsetDb, -127, 127)));
}

int LMixerControl::GetPlayLineCount(int device) {
    auto mixer = OpenMixerOf(WaveDirection::Output, device);
    return mixer ? static_cast<int>(PlayLines(*mixer).size()) : 0;
}

std::string LMixerControl::GetPlayLineName(int device, int line) {
    if (device < 0)
        return {};
    auto mixer = OpenMixerOf(WaveDirection::Output, device);
    if (!mixer || line < 0)
        return kInvalidLineName;
    const std::vector<int> lines = PlayLines(*mixer);
    if (line >= static_cast<int>(lines.size()))
        return kInvalidLineName;
    return ShortDeviceName(mixer->Name(lines[static_cast<size_t>(line)]));
}

void LMixerControl::SetPlayLineVolume(int device, int line, int db) {
    if (line < 0)
        return;
    auto mixer = OpenMixerOf(WaveDirection::Output, device);
    if (!mixer)
        return;
    const std::vector<int> lines = PlayLines(*mixer);
    if (line < static_cast<int>(lines.size()))
        SetPlayback(*mixer, lines[static_cast<size_t>(line)], MixerLevelFromDb(db));
}

}  // namespace orvia
