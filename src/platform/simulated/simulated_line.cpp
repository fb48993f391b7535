#include "platform/simulated/simulated_line.h"

#include <utility>

#include "platform/thread/thread_affinity.h"

namespace orvia {
namespace {

// A dialable number: printable characters only, and not too long.
bool IsPlausibleNumber(const std::string& number) {
    if (number.size() > 64)
        return false;
    for (char c : number) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x7F)
            return false;
    }
    return true;
}

}  // namespace

SimulatedLine::SimulatedLine(std::shared_ptr<SimulatedDevice::State> device,
                             std::shared_ptr<SimulatedLineLink> link)
    : device_(std::move(device)), link_(std::move(link)) {}

SimulatedLine::~SimulatedLine() {
    ORVIA_ASSERT_MAIN_THREAD();
    link_->open = false;  // events still on their way are dropped
    if (device_->call && !device_->call->IsOver())
        device_->call->LineClosed();
    if (device_->link == link_)
        device_->link.reset();
}

SimulatedCall* SimulatedLine::Find(CallHandle call) const {
    ORVIA_ASSERT_MAIN_THREAD();
    if (call == 0 || device_->link != link_ || !device_->call)
        return nullptr;
    return device_->call->Handle() == call ? device_->call.get() : nullptr;
}

RequestId SimulatedLine::Answer(CallHandle call) {
    SimulatedCall* found = Find(call);
    return found ? found->Answer() : -1;
}

RequestId SimulatedLine::Drop(CallHandle call) {
    SimulatedCall* found = Find(call);
    return found ? found->Drop() : -1;
}

RequestId SimulatedLine::MakeCall(const std::string& number) {
    ORVIA_ASSERT_MAIN_THREAD();
    if (device_->link != link_ || !IsPlausibleNumber(number))
        return -1;
    if (device_->call && !device_->call->IsOver())
        return -1;
    device_->call = std::make_unique<SimulatedCall>(
        *device_, link_, SimulatedCall::Direction::Outgoing, device_->calledParty, number);
    const RequestId request = device_->NewRequest();
    device_->call->ReplyPlaced(request);
    return request;
}

RequestId SimulatedLine::BlindTransfer(CallHandle call, const std::string& number) {
    SimulatedCall* found = Find(call);
    if (!found || !IsPlausibleNumber(number))
        return -1;
    return found->Transfer(number);
}

bool SimulatedLine::GenerateDigits(CallHandle call, const std::string& digits) {
    SimulatedCall* found = Find(call);
    return found && found->GenerateDigits(digits);
}

HandoffResult SimulatedLine::Handoff(CallHandle call, DetectedMedia media) {
    SimulatedCall* found = Find(call);
    return found ? found->Handoff(media) : HandoffResult::Failed;
}

void SimulatedLine::Deallocate(CallHandle) {}

CallerInfo SimulatedLine::GetCallerInfo(CallHandle call) {
    SimulatedCall* found = Find(call);
    return found ? found->Caller() : CallerInfo{};
}

int SimulatedLine::WaveOutDevice(CallHandle call) {
    SimulatedCall* found = Find(call);
    return found ? found->WaveOutDevice() : -1;
}

int SimulatedLine::WaveInDevice(CallHandle call) {
    SimulatedCall* found = Find(call);
    return found ? found->WaveInDevice() : -1;
}

}  // namespace orvia
