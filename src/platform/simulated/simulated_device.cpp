#include "platform/simulated/simulated_device.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "platform/dispatch/step_dispatcher.h"
#include "platform/simulated/simulated_call.h"
#include "platform/simulated/simulated_line.h"
#include "platform/thread/thread_affinity.h"

namespace orvia {
namespace {

bool IsTrue(const std::string& value) {
    std::string lower = value;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower == "true";
}

bool IsFalse(const std::string& value) {
    std::string lower = value;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower == "false";
}

}  // namespace

SimulatedDevice::SimulatedDevice(SimulatedDeviceOptions options)
    : state_(std::make_shared<State>()) {
    state_->options = std::move(options);
}

SimulatedDevice::~SimulatedDevice() {
    // A line still open on the device keeps the state alive; its call ends.
    if (state_->call)
        state_->call->LineClosed();
}

std::unique_ptr<SimulatedDevice> SimulatedDevice::FromSettings(const std::string& section,
                                                               const TelephonySettings& settings) {
    SimulatedDeviceOptions options;
    options.name = SettingOf(settings, "name", section);
    options.voice = !IsFalse(SettingOf(settings, "voice"));
    options.opens = !IsFalse(SettingOf(settings, "open"));
    options.faxApplication = IsTrue(SettingOf(settings, "faxapp"));
    options.dataApplication = IsTrue(SettingOf(settings, "dataapp"));
    return std::make_unique<SimulatedDevice>(std::move(options));
}

std::string SimulatedDevice::Name() const {
    return state_->options.name;
}

bool SimulatedDevice::IsVoiceCapable() const {
    return state_->options.voice;
}

std::unique_ptr<TelephonyLine> SimulatedDevice::Open(LineEvents* events) {
    ORVIA_ASSERT_MAIN_THREAD();
    if (!events || !state_->options.opens || state_->link)
        return nullptr;
    auto link = std::make_shared<SimulatedLineLink>();
    link->events = events;
    state_->link = link;
    return std::make_unique<SimulatedLine>(state_, std::move(link));
}

bool SimulatedDevice::IsOpen() const {
    return state_->link != nullptr;
}

void SimulatedDevice::SetCalledParty(CallScript script) {
    state_->calledParty = std::move(script);
}

std::optional<SimulatedCallResult> SimulatedDevice::RunIncomingCall(
    const CallScript& script, StepDispatcher& dispatcher, SimulatedCallObserver* observer) {
    ORVIA_ASSERT_MAIN_THREAD();
    if (!state_->link || (state_->call && !state_->call->IsOver()))
        return std::nullopt;
    state_->call = std::make_unique<SimulatedCall>(
        *state_, state_->link, SimulatedCall::Direction::Incoming, script, std::string());
    const SimulatedCallResult result = state_->call->Run(dispatcher, observer);
    state_->call.reset();
    return result;
}

std::optional<SimulatedCallResult> SimulatedDevice::RunOutgoingCall(
    StepDispatcher& dispatcher, SimulatedCallObserver* observer) {
    ORVIA_ASSERT_MAIN_THREAD();
    if (!state_->call || state_->call->IsOver())
        return std::nullopt;
    const SimulatedCallResult result = state_->call->Run(dispatcher, observer);
    state_->call.reset();
    return result;
}

int64_t SimulatedDevice::ClockMs() const {
    return state_->clockFrames / (kSimulatedCallRate / 1000);
}

int64_t SimulatedDevice::CallTimeMs() const {
    return state_->call ? state_->call->CallTimeMs() : 0;
}

void RegisterSimulatedProvider() {
    RegisterTelephonyProvider("simulated",
                              [](const std::string& section, const TelephonySettings& settings,
                                 std::string*) -> std::unique_ptr<TelephonyDevice> {
                                  return SimulatedDevice::FromSettings(section, settings);
                              });
}

}  // namespace orvia
