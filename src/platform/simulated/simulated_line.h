// The open line of a simulated device: the line's requests go to the call in
// progress. Internal to the simulated provider.
//
// Main thread only.
#pragma once

#include <memory>
#include <string>

#include "platform/simulated/simulated_call.h"
#include "platform/simulated/simulated_device.h"
#include "platform/telephony/telephony.h"

namespace orvia {

class SimulatedLine : public TelephonyLine {
public:
    SimulatedLine(std::shared_ptr<SimulatedDevice::State> device,
                  std::shared_ptr<SimulatedLineLink> link);
    ~SimulatedLine() override;

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
    SimulatedCall* Find(CallHandle call) const;

    std::shared_ptr<SimulatedDevice::State> device_;
    std::shared_ptr<SimulatedLineLink> link_;
};

}  // namespace orvia
