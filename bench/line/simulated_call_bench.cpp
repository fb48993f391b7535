// One simulated call of about a minute of call audio: an OGM of 3 s played
// six times with its 6 s waits, then a message of 20 s, through the real
// engine, line, player and recorder. Reports the CPU time of the whole
// process per call and x_realtime, the call-audio seconds per wall-clock
// second.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/simulate/simulation.h"
#include "app/simulate/simulation_script.h"
#include "audio/pcm_file_sink.h"
#include "store/settings_store.h"

namespace orvia {
namespace {

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

void WriteWave(const std::string& path, int ms, int16_t level) {
    LSoundSink sink = CreatePCMWaveSink(path, 8000, 1, 16, 0);
    std::vector<int32_t> block(static_cast<std::size_t>(ms) * 8, level * 16);
    sink->Write(block.data(), ms * 8);
}

// A data folder with the OGM, the prompts and a mailbox.
class DataFolder {
public:
    DataFolder() {
        char pattern[] = "/tmp/orvia-bench-XXXXXX";
        path_ = std::string(mkdtemp(pattern)) + "/";
        for (const char* folder : {"OGMs", "System Prompts", "MailBoxes", "Logs"})
            std::filesystem::create_directories(path_ + folder);
        WriteText(path_ + "settings.ini", "[settings]\nogm=Main\nnrings=1\n");
        WriteText(path_ + "OGMs/Main.ini",
                  "[ivr]\nwait=6\nrepeat=5\nplaycomplete=mailbox\nplaycompletembx=Sales\n");
        WriteWave(path_ + "OGMs/Main.wav", 3000, 3000);
        for (const char* prompt : {"LeaveMessage", "RecordTone", "GoodBye"})
            WriteWave(path_ + "System Prompts/" + prompt + ".wav", 500, 3000);
        WriteWave(path_ + "voice.wav", 20000, 8000);
        SetStore(SettingsStore::ForDataFolder(path_));
    }
    ~DataFolder() { std::filesystem::remove_all(path_); }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

void BM_SimulatedCallOfAMinute(benchmark::State& state) {
    DataFolder data;
    SimulationScript script;
    std::string error;
    if (!ParseSimulationScript("at 55 say voice.wav\nat 80 hangup\n", data.Path(),
                               WaveVoiceLoader(), &script, &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    double callSeconds = 0;
    for (auto _ : state) {
        std::ostringstream transcript;
        if (!RunSimulation(script, transcript, &error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        std::filesystem::remove_all(data.Path() + "MailBoxes");
        std::filesystem::create_directories(data.Path() + "MailBoxes");
        callSeconds += 80;
    }
    state.counters["x_realtime"] = benchmark::Counter(callSeconds, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SimulatedCallOfAMinute)->MeasureProcessCPUTime()->UseRealTime()->Unit(
    benchmark::kMillisecond);

}  // namespace
}  // namespace orvia
