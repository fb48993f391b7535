// The engine of a scripted call: the real IVRCMain, which tells the
// transcript which file each play comes from and names the documents it
// would open instead of opening them.
//
// Main thread only.
#pragma once

#include <cstdint>
#include <string>

#include "app/simulate/simulation_transcript_p.h"
#include "engine/ivr_main.h"

namespace orvia {

class TranscriptEngine : public IVRCMain {
public:
    TranscriptEngine(uint8_t lineIndex, SimulationTranscript& transcript)
        : IVRCMain(lineIndex, &transcript), transcript_(transcript) {}

protected:
    LSoundSource OpenWave(const std::string& path) override {
        LSoundSource source = IVRCMain::OpenWave(path);
        transcript_.FileOpened(path, !IsInvalid(source));
        return source;
    }
    LSoundSource OpenMp3(const std::string& path) override {
        LSoundSource source = IVRCMain::OpenMp3(path);
        transcript_.FileOpened(path, !IsInvalid(source));
        return source;
    }
    void OpenDocument(const std::string& pathOrUrl) override {
        transcript_.DocumentOpened(pathOrUrl);
    }
    // The simulated call runs on its audio clock, which would jump ahead
    // while the engine waited for a plug-in in real time; the call's one
    // line has nothing else to keep going meanwhile.
    bool PluginOutputInBackground() const override { return false; }

private:
    SimulationTranscript& transcript_;
};

}  // namespace orvia
