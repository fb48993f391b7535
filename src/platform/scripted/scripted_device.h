// The scripted-caller telephony provider: line devices that a call script
// drives like a real caller, for tests, demonstrations and `orvia simulate`.
// Its type name in "telephony.ini" is "simulated", the name configuration
// files already use.
//
// Settings of a device section: "name" (default the section name), "voice"
// ("false": a data-only device), "open" ("false": opening fails), "faxapp"
// and "dataapp" ("true": a fax or data application takes calls handed off
// to it; otherwise a hand-off finds no target).
//
// A call runs as fast as the CPU allows on its own call-audio clock. The
// clock advances only with the call's audio: while the line has the call's
// output device open it advances with every frame the line has queued (and
// waits while the line prepares more), while the line records it advances
// as the caller's audio is delivered, and while the line does neither (it
// dials, or waits for nothing) it jumps to the next scripted moment. So
// waits, silence limits and maximum record times behave as in real time.
//
// Threads: main thread. Run() must be called on the thread of the
// StepDispatcher that is the current dispatcher; every line event reaches
// the line through it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/scripted/call_script.h"
#include "platform/scripted/scripted_call_observer.h"
#include "platform/telephony/telephony.h"

namespace orvia {

class StepDispatcher;

struct ScriptedDeviceOptions {
    std::string name = "Simulated Line";
    bool voice = true;
    bool opens = true;
    bool faxApplication = false;
    bool dataApplication = false;
};

// How a scripted call went.
struct ScriptedCallResult {
    bool connected = false;
    int64_t callMs = 0;  // call-audio time from the connection to the end
};

class ScriptedDevice : public TelephonyDevice {
public:
    explicit ScriptedDevice(ScriptedDeviceOptions options = {});
    ~ScriptedDevice() override;

    // The device of a configuration section; never fails.
    static std::unique_ptr<ScriptedDevice> FromSettings(const std::string& section,
                                                        const TelephonySettings& settings);

    std::string Name() const override;
    bool IsVoiceCapable() const override;
    std::unique_ptr<TelephonyLine> Open(LineEvents* events) override;
    std::string OpenError() const override;

    bool IsOpen() const;
    // The called party that answers the next outgoing call.
    void SetCalledParty(CallScript script);

    // Offers an incoming call to the open line and runs it to its end.
    // Nothing (nullopt) when the line is not open or a call is in progress.
    std::optional<ScriptedCallResult> RunIncomingCall(const CallScript& script,
                                                      StepDispatcher& dispatcher,
                                                      ScriptedCallObserver* observer = nullptr);
    // Runs the outgoing call the line placed (MakeCall) to its end; nullopt
    // when none is waiting.
    std::optional<ScriptedCallResult> RunOutgoingCall(StepDispatcher& dispatcher,
                                                      ScriptedCallObserver* observer = nullptr);

    // The device's clock in milliseconds: it advances with the rings and the
    // call audio of every call, never otherwise.
    int64_t ClockMs() const;
    // Call-audio time of the call in progress, from its connection (0 before).
    int64_t CallTimeMs() const;

    struct State;

private:
    std::shared_ptr<State> state_;
};

// Registers the provider under the type "simulated".
void RegisterScriptedProvider();

}  // namespace orvia
