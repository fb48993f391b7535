#include "app/simulate/simulation.h"

#include <filesystem>
#include <memory>
#include <utility>

#include "app/simulate/simulation_transcript_p.h"
#include "app/simulate/transcript_engine_p.h"
#include "line/line.h"
#include "line/line_application.h"
#include "platform/diagnostics/diagnostic_sinks.h"
#include "platform/dispatch/step_dispatcher.h"
#include "platform/scripted/scripted_device.h"
#include "platform/thread/thread_affinity.h"
#include "platform/time/clock.h"
#include "store/profile_values.h"
#include "store/settings_store.h"

namespace orvia {
namespace {

// The player's feeding thread polls the call's device this often (ms): the
// call's audio is consumed as fast as the CPU allows, so the thread should
// not sleep long between refills. Not much shorter: the player takes 280
// polls without progress for a stalled device, and the main thread may be
// held up that long on a busy machine.
constexpr int kSimulatedPollMs = 10;

// The wall clock of the call: the start time plus the device's clock.
class CallWallClock {
public:
    CallWallClock(int64_t start, const ScriptedDevice& device) {
        const int64_t origin = device.ClockMs();
        SetClockSource(
            [start, origin, &device] { return start + (device.ClockMs() - origin) / 1000; });
    }
    ~CallWallClock() { SetClockSource(nullptr); }
    CallWallClock(const CallWallClock&) = delete;
    CallWallClock& operator=(const CallWallClock&) = delete;
};

}  // namespace

bool RunSimulation(const SimulationScript& script, std::ostream& out, std::string* error) {
    const SettingsStore& store = Store();
    std::error_code ec;
    if (!std::filesystem::is_directory(store.DataFolder(), ec)) {
        *error = "the data folder " + store.DataFolder() + " does not exist";
        return false;
    }

    StepDispatcher dispatcher;
    ScopedCurrentDispatcher current(&dispatcher);

    ScriptedDeviceOptions options;
    options.name = "Simulated Line";
    auto owned = std::make_unique<ScriptedDevice>(options);
    ScriptedDevice& device = *owned;
    TelephonyDevices devices;
    devices.Add(std::move(owned));
    LLineApplication application;
    application.UseDevices(std::move(devices));

    const int64_t start = script.clock ? *script.clock : LocalNow();
    CallWallClock clock(start, device);
    SimulationTranscript transcript(out, device, store.DataFolder(), store.Logs());

    LLine line(application);
    line.SetTickSource([&device] { return device.ClockMs(); });
    line.SetObserver(&transcript);
    line.SetPlayerPollInterval(kSimulatedPollMs);
    line.SetOwner(
        std::make_unique<TranscriptEngine>(static_cast<uint8_t>(script.lineIndex), transcript));
    const bool detectEnd =
        ReadProfileBool(store.SettingsFile(), "settings", "detectendofcall", true);
    if (!line.Open(0,
                   detectEnd ? LLine::kDetectDisconnect : LLine::kIgnoreDisconnectWhilePlaying)) {
        *error = "the simulated line did not open";
        return false;
    }
    transcript.Begin();
    device.RunIncomingCall(script.call, dispatcher, &transcript);
    line.Close();
    dispatcher.RunPending();
    transcript.ListFiles();
    return true;
}

int SimulateCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-') {
        err << "usage: orvia simulate SCRIPT\n";
        return 2;
    }
    SimulationScript script;
    std::string error;
    if (!LoadSimulationScript(args[0], WaveVoiceLoader(), &script, &error)) {
        err << "orvia simulate: " << error << '\n';
        return 1;
    }
    MarkMainThread();
    // What goes wrong during the call (a file that does not play, a plug-in
    // that does not start) is said on standard error; the transcript tells
    // the rest.
    StandardErrorSink problems(StandardErrorSink::DetectStyle(), 2, DiagnosticLevel::Warning);
    ScopedDiagnosticSink scope(problems);
    if (!RunSimulation(script, out, &error)) {
        err << "orvia simulate: " << error << '\n';
        return 1;
    }
    return 0;
}

}  // namespace orvia
