#include "platform/scripted/scripted_line_p.h"

#include <utility>

#include "platform/text/ascii_text.h"
#include "platform/thread/thread_affinity.h"

namespace orvia {
namespace {

// A dialable number: printable characters only, and not too long.
bool IsPlausibleNumber(const std::string& number) {
    return number.size() <= 64 && IsPrintableAscii(number);
}

}  // namespace

ScriptedLine::ScriptedLine(std::shared_ptr<ScriptedDevice::State> device,
                           std::shared_ptr<ScriptedLineLink> link)
    : device_(std::move(device)), link_(std::move(link)) {}

ScriptedLine::~ScriptedLine() {
    ORVIA_ASSERT_MAIN_THREAD();
    link_->open = false;  // events still on their way are dropped
    if (device_->call && !device_->call->IsOver())
        device_->call->LineClosed();
    if (device_->link == link_)
        device_->link.reset();
}

ScriptedCall* ScriptedLine::Find(CallHandle call) const {
    ORVIA_ASSERT_MAIN_THREAD();
    if (call == 0 || device_->link != link_ || !device_->call)
        return nullptr;
    return device_->call->Handle() == call ? device_->call.get() : nullptr;
}

RequestId ScriptedLine::Answer(CallHandle call) {
    ScriptedCall* found = Find(call);
    return found ? found->Answer() : -1;
}

RequestId ScriptedLine::Drop(CallHandle call) {
    ScriptedCall* found = Find(call);
    return found ? found->Drop() : -1;
}

RequestId ScriptedLine::MakeCall(const std::string& number) {
    ORVIA_ASSERT_MAIN_THREAD();
    if (device_->link != link_ || !IsPlausibleNumber(number))
        return -1;
    if (device_->call && !device_->call->IsOver())
        return -1;
    device_->call = std::make_unique<ScriptedCall>(
        *device_, link_, ScriptedCall::Direction::Outgoing, device_->calledParty, number);
    const RequestId request = device_->NewRequest();
    device_->call->ReplyPlaced(request);
    return request;
}

RequestId ScriptedLine::BlindTransfer(CallHandle call, const std::string& number) {
    ScriptedCall* found = Find(call);
    if (!found || !IsPlausibleNumber(number))
        return -1;
    return found->Transfer(number);
}

bool ScriptedLine::GenerateDigits(CallHandle call, const std::string& digits) {
    ScriptedCall* found = Find(call);
    return found && found->GenerateDigits(digits);
}

HandoffResult ScriptedLine::Handoff(CallHandle call, DetectedMedia media) {
    ScriptedCall* found = Find(call);
    return found ? found->Handoff(media) : HandoffResult::Failed;
}

void ScriptedLine::Deallocate(CallHandle) {}

CallerInfo ScriptedLine::GetCallerInfo(CallHandle call) {
    ScriptedCall* found = Find(call);
    return found ? found->Caller() : CallerInfo{};
}

int ScriptedLine::WaveOutDevice(CallHandle call) {
    ScriptedCall* found = Find(call);
    return found ? found->WaveOutDevice() : -1;
}

int ScriptedLine::WaveInDevice(CallHandle call) {
    ScriptedCall* found = Find(call);
    return found ? found->WaveInDevice() : -1;
}

}  // namespace orvia
