#include "platform/scripted/scripted_device.h"

#include <utility>

#include "platform/dispatch/step_dispatcher.h"
#include "platform/scripted/scripted_call_p.h"
#include "platform/scripted/scripted_line_p.h"
#include "platform/text/ascii_text.h"
#include "platform/thread/thread_affinity.h"

namespace orvia {
namespace {

bool IsTrue(const std::string& value) {
    return EqualsNoCase(value, "true");
}

bool IsFalse(const std::string& value) {
    return EqualsNoCase(value, "false");
}

}  // namespace

ScriptedDevice::ScriptedDevice(ScriptedDeviceOptions options) : state_(std::make_shared<State>()) {
    state_->options = std::move(options);
}

ScriptedDevice::~ScriptedDevice() {
    // A line still open on the device keeps the state alive; its call ends.
    if (state_->call)
        state_->call->LineClosed();
}

std::unique_ptr<ScriptedDevice> ScriptedDevice::FromSettings(const std::string& section,
                                                             const TelephonySettings& settings) {
    ScriptedDeviceOptions options;
    options.name = SettingOf(settings, "name", section);
    options.voice = !IsFalse(SettingOf(settings, "voice"));
    options.opens = !IsFalse(SettingOf(settings, "open"));
    options.faxApplication = IsTrue(SettingOf(settings, "faxapp"));
    options.dataApplication = IsTrue(SettingOf(settings, "dataapp"));
    return std::make_unique<ScriptedDevice>(std::move(options));
}

std::string ScriptedDevice::Name() const {
    return state_->options.name;
}

bool ScriptedDevice::IsVoiceCapable() const {
    return state_->options.voice;
}

std::unique_ptr<TelephonyLine> ScriptedDevice::Open(LineEvents* events) {
    ORVIA_ASSERT_MAIN_THREAD();
    if (!events || !state_->options.opens || state_->link)
        return nullptr;
    auto link = std::make_shared<ScriptedLineLink>();
    link->events = events;
    state_->link = link;
    return std::make_unique<ScriptedLine>(state_, std::move(link));
}

bool ScriptedDevice::IsOpen() const {
    return state_->link != nullptr;
}

void ScriptedDevice::SetCalledParty(CallScript script) {
    state_->calledParty = std::move(script);
}

std::optional<ScriptedCallResult> ScriptedDevice::RunIncomingCall(const CallScript& script,
                                                                  StepDispatcher& dispatcher,
                                                                  ScriptedCallObserver* observer) {
    ORVIA_ASSERT_MAIN_THREAD();
    if (!state_->link || (state_->call && !state_->call->IsOver()))
        return std::nullopt;
    state_->call = std::make_unique<ScriptedCall>(
        *state_, state_->link, ScriptedCall::Direction::Incoming, script, std::string());
    const ScriptedCallResult result = state_->call->Run(dispatcher, observer);
    state_->call.reset();
    return result;
}

std::optional<ScriptedCallResult> ScriptedDevice::RunOutgoingCall(StepDispatcher& dispatcher,
                                                                  ScriptedCallObserver* observer) {
    ORVIA_ASSERT_MAIN_THREAD();
    if (!state_->call || state_->call->IsOver())
        return std::nullopt;
    const ScriptedCallResult result = state_->call->Run(dispatcher, observer);
    state_->call.reset();
    return result;
}

int64_t ScriptedDevice::ClockMs() const {
    return state_->clockFrames / (kScriptedCallRate / 1000);
}

int64_t ScriptedDevice::CallTimeMs() const {
    return state_->call ? state_->call->CallTimeMs() : 0;
}

std::string ScriptedDevice::OpenError() const {
    if (!state_->options.opens)
        return "the simulated device is set not to open (\"open\" is false)";
    if (state_->link)
        return "the device is open already";
    return {};
}

void RegisterScriptedProvider() {
    RegisterTelephonyProvider(
        "simulated",
        [](const std::string& section, const TelephonySettings& settings, std::string*) {
            TelephonyDeviceList made;
            made.push_back(ScriptedDevice::FromSettings(section, settings));
            return made;
        },
        {"name", "voice", "open", "faxapp", "dataapp"});
}

}  // namespace orvia
