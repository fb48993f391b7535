#include "speech/speech_engine.h"

#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

namespace orvia {
namespace {

std::mutex& EngineMutex() {
    static std::mutex mutex;
    return mutex;
}

// The engine's output rate once started, 0 when it cannot start. Called with
// the lock held.
int StartEngine() {
    static int rate = [] {
        const int r =
            espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT);
        return r > 0 ? r : 0;
    }();
    return rate;
}

std::vector<const espeak_VOICE*> Voices() {
    std::vector<const espeak_VOICE*> voices;
    if (StartEngine() == 0)
        return voices;
    if (const espeak_VOICE** list = espeak_ListVoices(nullptr)) {
        for (; *list != nullptr; ++list)
            if ((*list)->name != nullptr)
                voices.push_back(*list);
    }
    return voices;
}

// The synthesis in progress: the engine's callback reaches it through this
// pointer, which only the lock holder sets.
struct Synthesis {
    const SpeechRequest* request;
    LSoundSinkBase* sink;
    std::vector<int32_t> block;
    bool cancelled = false;
};
Synthesis* g_current = nullptr;

int OnSamples(short* samples, int count, espeak_EVENT*) {
    Synthesis& s = *g_current;
    if (s.request->cancelled && s.request->cancelled()) {
        s.cancelled = true;
        return 1;  // stop the synthesis
    }
    while (samples != nullptr && count > 0) {
        const int n = std::min(count, kMaxBlockFrames);
        for (int i = 0; i < n; ++i)
            s.block[static_cast<std::size_t>(i)] = samples[i] * 16;
        s.sink->Write(s.block.data(), n);
        samples += n;
        count -= n;
    }
    return 0;
}

}  // namespace

int CountEngines() {
    std::lock_guard<std::mutex> guard(EngineMutex());
    return static_cast<int>(Voices().size());
}

std::string EngineName(int index) {
    std::lock_guard<std::mutex> guard(EngineMutex());
    const auto voices = Voices();
    if (index < 0 || index >= static_cast<int>(voices.size()))
        return {};
    return voices[static_cast<std::size_t>(index)]->name;
}

int SpeechSampleRate() {
    std::lock_guard<std::mutex> guard(EngineMutex());
    return StartEngine();
}

SpeechResult SynthesizeToSink(const SpeechRequest& request, const LSoundSink& sink) {
    std::lock_guard<std::mutex> guard(EngineMutex());
    const auto voices = Voices();
    if (voices.empty())
        return SpeechResult::NoEngine;
    if (IsInvalid(sink) || sink->channels != 1)
        return SpeechResult::Failed;

    std::string voice;
    if (!request.voiceName.empty()) {
        auto it = std::find_if(voices.begin(), voices.end(),
                               [&](const espeak_VOICE* v) { return request.voiceName == v->name; });
        if (it == voices.end())
            return SpeechResult::NoVoice;
        voice = (*it)->name;
    } else {
        const int last = static_cast<int>(voices.size()) - 1;
        voice = voices[static_cast<std::size_t>(std::clamp(request.engineIndex, 0, last))]->name;
    }
    if (espeak_SetVoiceByName(voice.c_str()) != EE_OK)
        return SpeechResult::NoVoice;

    Synthesis synthesis{&request, sink.get(), std::vector<int32_t>(kMaxBlockFrames), false};
    g_current = &synthesis;
    espeak_SetSynthCallback(OnSamples);
    const espeak_ERROR err = espeak_Synth(request.text.c_str(), request.text.size() + 1, 0,
                                          POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, nullptr);
    espeak_SetSynthCallback(nullptr);
    g_current = nullptr;
    if (synthesis.cancelled)
        return SpeechResult::Cancelled;
    return err == EE_OK ? SpeechResult::Ok : SpeechResult::Failed;
}

const char* SpeechResultText(SpeechResult result) {
    switch (result) {
        case SpeechResult::Ok:
            return "ok";
        case SpeechResult::NoEngine:
            return "no speech engine is installed";
        case SpeechResult::NoVoice:
            return "the voice is not installed";
        case SpeechResult::Cancelled:
            return "cancelled";
        case SpeechResult::Failed:
            return "speech synthesis failed";
    }
    return "unknown";
}

}  // namespace orvia
