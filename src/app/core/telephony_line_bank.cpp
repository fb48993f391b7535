#include "app/core/telephony_line_bank.h"

#include <algorithm>
#include <string>

#include "app/bgalc/bgalc.h"
#include "engine/ivr_main.h"
#include "line/line_setup.h"
#include "platform/thread/thread_affinity.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"

namespace orvia {

TelephonyLineBank::TelephonyLineBank(LLineApplication& application, RecordingLeveller* leveller)
    : application_(application), leveller_(leveller) {}

TelephonyLineBank::~TelephonyLineBank() {
    Destroy();
}

int TelephonyLineBank::SetUp(IVRCNotify* notify) {
    ORVIA_ASSERT_MAIN_THREAD();
    RecordingLeveller* leveller = leveller_;
    const LineSetupResult result = SetUpLines(
        application_,
        [notify, leveller](int lineIndex) -> std::unique_ptr<LIVRCell> {
            return std::make_unique<IVRCMain>(static_cast<uint8_t>(lineIndex), notify, leveller);
        },
        &lines_);
    return result == LineSetupResult::NoDevices ? 0 : Count();
}

void TelephonyLineBank::Destroy() {
    ORVIA_ASSERT_MAIN_THREAD();
    // Each line closes its device (a call in progress hears that it ended)
    // and deletes its engine.
    lines_.clear();
}

LLine* TelephonyLineBank::Line(int position) const {
    if (position < 0 || position >= Count())
        return nullptr;
    return lines_[static_cast<std::size_t>(position)].get();
}

ForwardingLine* TelephonyLineBank::FirstLine() {
    return lines_.empty() ? nullptr : &first_;
}

std::vector<LineStatus> TelephonyLineBank::Status() const {
    // The lines were made from the configured sections in index order.
    std::vector<LineStatus> status;
    const std::string& settings = Store().SettingsFile();
    std::size_t position = 0;
    for (int index = 0; index < kMaxLines && position < lines_.size(); ++index) {
        if (!IsConfiguredLine(index))
            continue;
        const std::string section = "line" + std::to_string(index);
        const LLine& made = *lines_[position];
        LineStatus line;
        line.index = index;
        line.name = ReadProfileString(settings, section, "name", section);
        line.device = ReadProfileInt(settings, section, "device", index);
        line.deviceName = application_.GetDeviceName(line.device);
        line.open = made.IsOpen();
        line.closedReason = made.OpenError();
        line.phase = made.Phase();
        line.since = made.PhaseSince();
        if (line.phase == LinePhase::Ringing || line.phase == LinePhase::Connected) {
            line.callerNumber = made.CallerNumber();
            line.callerName = made.CallerName();
        }
        line.deviceStatus = made.DeviceStatus();
        status.push_back(line);
        ++position;
    }
    return status;
}

std::vector<LLine*> TelephonyLineBank::FirstLineAdapter::Lines() const {
    std::vector<LLine*> lines;
    LLine* first = bank_.Line(0);
    if (!first)
        return lines;
    lines.push_back(first);
    const TelephonyDevice* device = bank_.application_.Device(first->Device());
    const std::string group = device ? device->ChannelGroup() : std::string();
    if (group.empty())
        return lines;
    for (int position = 1; position < bank_.Count(); ++position) {
        LLine* line = bank_.Line(position);
        const TelephonyDevice* other = bank_.application_.Device(line->Device());
        if (other && other->ChannelGroup() == group)
            lines.push_back(line);
    }
    return lines;
}

namespace {

bool IsFree(const LLine& line) {
    return line.IsOpen() && !line.HasCall() && line.Phase() == LinePhase::Idle;
}

}  // namespace

bool TelephonyLineBank::FirstLineAdapter::IsOpen() const {
    const std::vector<LLine*> lines = Lines();
    return std::any_of(lines.begin(), lines.end(),
                       [](const LLine* line) { return line->IsOpen(); });
}

bool TelephonyLineBank::FirstLineAdapter::IsBusy() const {
    const std::vector<LLine*> lines = Lines();
    return std::none_of(lines.begin(), lines.end(),
                        [](const LLine* line) { return IsFree(*line); });
}

void TelephonyLineBank::FirstLineAdapter::MakeCall(const std::string& number) {
    for (LLine* line : Lines()) {
        if (IsFree(*line)) {
            line->MakeCall(number);
            return;
        }
    }
}

void QueueLeveller::Enqueue(const std::string& path) {
    BGALC::Instance().Enqueue(path);
}

int QueueLeveller::Waiting() const {
    return BGALC::Instance().QueueLength();
}

}  // namespace orvia
