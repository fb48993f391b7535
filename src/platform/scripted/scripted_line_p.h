// The open line of a scripted device: the line's requests go to the call in
// progress. Internal to the scripted-caller provider.
//
// Main thread only.
#pragma once

#include <memory>
#include <string>

#include "platform/scripted/scripted_call_p.h"
#include "platform/scripted/scripted_device.h"
#include "platform/telephony/telephony.h"

namespace orvia {

class ScriptedLine : public TelephonyLine {
public:
    ScriptedLine(std::shared_ptr<ScriptedDevice::State> device,
                 std::shared_ptr<ScriptedLineLink> link);
    ~ScriptedLine() override;

    RequestId Answer(CallHandle call) override;
    RequestId Drop(CallHandle call) override;
    RequestId MakeCall(const std::string& number) override;
    RequestId BlindTransfer(CallHandle call, const std::string& number) override;
    bool GenerateDigits(CallHandle call, const std::string& digits) override;
    HandoffResult Handoff(CallHandle call, DetectedMedia media) override;
    void Deallocate(CallHandle call) override;
    CallerInfo GetCallerInfo(CallHandle call) override;
    int WaveOutDevice(CallHandle call) override;
    int WaveInDevice(CallHandle call) override;

private:
    // The call in progress when it has this handle and the line is this one.
    ScriptedCall* Find(CallHandle call) const;

    std::shared_ptr<ScriptedDevice::State> device_;
    std::shared_ptr<ScriptedLineLink> link_;
};

}  // namespace orvia
