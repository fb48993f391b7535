// IVRCMain: construction and the line events.
#include "engine/ivr_main.h"

#include "engine/answer_decision.h"
#include "engine/line_audio.h"
#include "engine/line_settings.h"
#include "engine/ogm_files.h"
#include "line/vline.h"
#include "platform/clock.h"
#include "platform/thread_affinity.h"
#include "store/call_log.h"
#include "store/encodings.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"

namespace orvia {
namespace {

// Silences of the remote-access menus, in ticks.
constexpr int32_t kAccessCodeWait = 200000;
constexpr int32_t kMessageMenuWait = 50000;
constexpr int32_t kNoMoreMessagesWait = 150000;
constexpr int32_t kSetupMenuWait = 200000;

}  // namespace

IVRCMain::IVRCMain(uint8_t lineIndex, IVRCNotify* notify)
    : notify_(notify), lineIndex_(lineIndex), section_(LineSectionName(lineIndex)) {}

// The profile layer keeps no cached copies, so nothing needs flushing here.
IVRCMain::~IVRCMain() = default;

bool IVRCMain::OnRing(int32_t count) {
    ORVIA_ASSERT_MAIN_THREAD();
    const std::string& settings = Store().SettingsFile();
    const std::string lineName = LineName(section_);
    const std::string number = Line() ? Line()->CallerNumber() : std::string();
    const std::string name = Line() ? Line()->CallerName() : std::string();

    if (count == 2 && (!number.empty() || !name.empty()) &&
        ReadProfileBool(settings, section_, "cidflash", true)) {
        std::string text = lineName + "\r\n" + number + "\r\n" + name;
        Send(kMsgCallerIdFlash, text);
    }

    const int32_t needed = RingsNeeded();
    if (count < needed)
        return false;
    const AnswerChoice choice = ChooseAnswer(section_, LocalNow());
    const bool answer = choice.answeringOn && SelectOGM(choice.ogmName);
    if (count == needed)
        WriteDailyLog(lineName + " " + number + (answer ? " [Answered]" : " [Not Answered]"));
    if (!answer)
        return false;
    variables_.Clear();
    state_ = IVRState::Accepted;
    return true;
}

void IVRCMain::OnConnected() {
    ORVIA_ASSERT_MAIN_THREAD();
    if (state_ == IVRState::Idle) {
        // An outgoing forwarding call: the main window names the mailbox.
        state_ = IVRState::Forwarding;
        Send(kMsgForwardingMailbox, currentMailbox_);
        counter_ = CounterValue(ReadProfileInt(currentMailbox_, "mbx", "forwardrepeat", 5));
        PlayPrompt("ForwardMessage");
        return;
    }
    RunEntryEffects();
    StartOGM();
}

void IVRCMain::OnDigit(char key) {
    ORVIA_ASSERT_MAIN_THREAD();
    switch (state_) {
        case IVRState::Ogm:
        case IVRState::InvalidPrompt:
        case IVRState::PlayFile:
        case IVRState::RecordTone:
        case IVRState::RecordingFile:
            // The OGM's menu stays live during its prompts, files and recordings.
            OnOgmKey(key);
            break;
        default:
            // The transfer question, access code entry and the message,
            // set-up and forwarding menus take their keys here once remote
            // access and transfers exist; every other state drops keys.
            break;
    }
}

void IVRCMain::OnDialComplete() {
    ORVIA_ASSERT_MAIN_THREAD();
    switch (state_) {
        case IVRState::BlindDial:
        case IVRState::AcceptDial:
        case IVRState::FaxDial:
            HangUp();
            break;
        default:
            // The confirmed-transfer and reject dial strings continue the
            // transfer once transfers exist.
            break;
    }
}

void IVRCMain::OnPlayComplete() {
    ORVIA_ASSERT_MAIN_THREAD();
    switch (state_) {
        case IVRState::Ogm:
            WaitTicks(static_cast<int64_t>(ReadOgmInt("wait", 6)) * kTicksPerSecond);
            break;
        case IVRState::InvalidPrompt:
        case IVRState::PlayFile:
            StartOGM();
            break;
        case IVRState::AccessCode:
            WaitTicks(kAccessCodeWait);
            break;
        case IVRState::PlayingMessage:
            state_ = IVRState::MessageMenu;
            PlayPrompt("MailBoxMessageMenu");
            break;
        case IVRState::MessageMenu:
            WaitTicks(kMessageMenuWait);
            break;
        case IVRState::NoMoreMessages:
            WaitTicks(kNoMoreMessagesWait);
            break;
        case IVRState::MailboxSetup:
            WaitTicks(kSetupMenuWait);
            break;
        case IVRState::PlayingGreeting:
            state_ = IVRState::MailboxSetup;
            PlayPrompt("MailBoxSetup");
            break;
        case IVRState::Forwarding:
            if (counter_ == 0) {
                HangUp();
            } else {
                --counter_;
                PlayPrompt("ForwardMessage");
            }
            break;
        case IVRState::Goodbye:
            HangUp();
            break;
        default:
            // The transfer question, the mailbox greeting and record tones
            // continue here once mailboxes, file actions and transfers exist;
            // the other states do nothing.
            break;
    }
}

void IVRCMain::OnWaitComplete() {
    ORVIA_ASSERT_MAIN_THREAD();
    switch (state_) {
        case IVRState::Ogm:
            if (counter_ > 0) {
                --counter_;
                PlayOGM();
            } else if (!DoAction(currentOgm_, kOgmSectionIvr, "playcomplete")) {
                Goodbye();
            }
            break;
        case IVRState::AccessCode:
        case IVRState::NoMoreMessages:
        case IVRState::MailboxSetup:
            Goodbye();
            break;
        default:
            // The message menu's silence leads to the next message once
            // remote access exists; the other states do nothing.
            break;
    }
}

void IVRCMain::OnFaxTone() {
    ORVIA_ASSERT_MAIN_THREAD();
    const std::string& settings = Store().SettingsFile();
    if (!ReadProfileBool(settings, "settings", "fax", false))
        return;
    const std::string dial = ReadProfileString(settings, "settings", "faxdial", "");
    if (dial.empty()) {
        HangUp();
        return;
    }
    if (state_ == IVRState::FaxDial || !Line())
        return;
    state_ = IVRState::FaxDial;
    Line()->GenerateDigits(dial);
}

void IVRCMain::OnDisconnected() {
    ORVIA_ASSERT_MAIN_THREAD();
    // A message just recorded (state 12) is kept or discarded here once
    // mailboxes exist.
    mode_ = IVRMode::None;
    state_ = IVRState::Idle;
    HandOffRecordPath();
}

void IVRCMain::HandOffRecordPath() {
    // The background level-control queue takes the finished recording once it
    // exists; the engine forgets the path either way.
    recordPath_.clear();
}

LSoundSource IVRCMain::OpenWave(const std::string& path) {
    return OpenWaveFile(path);
}

LSoundSource IVRCMain::OpenMp3(const std::string& path) {
    return OpenMp3File(path);
}

TemplateContext IVRCMain::Context() const {
    TemplateContext context;
    context.variables = &variables_;
    if (Line()) {
        context.callerNumber = Line()->CallerNumber();
        context.callerName = Line()->CallerName();
    }
    context.lineIndex = lineIndex_;
    context.lineSection = section_;
    return context;
}

void IVRCMain::Send(int message, std::string& text) {
    if (notify_)
        notify_->Send(message, text);
}

std::string IVRCMain::ReadOgm(std::string_view key, std::string_view def) const {
    return ReadProfileString(currentOgm_, kOgmSectionIvr, key, def);
}

int32_t IVRCMain::ReadOgmInt(std::string_view key, int32_t def) const {
    return ReadProfileInt(currentOgm_, kOgmSectionIvr, key, def);
}

bool IVRCMain::ReadOgmBool(std::string_view key, bool def) const {
    return ReadProfileBool(currentOgm_, kOgmSectionIvr, key, def);
}

}  // namespace orvia
