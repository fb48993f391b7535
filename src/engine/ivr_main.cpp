// IVRCMain: construction and the line events.
#include "engine/ivr_main.h"

#include "engine/answer_decision_p.h"
#include "engine/line_audio.h"
#include "engine/line_settings_p.h"
#include "engine/ogm_files.h"
#include "line/vline.h"
#include "platform/process/process_desktop.h"
#include "platform/thread/thread_affinity.h"
#include "platform/time/clock.h"
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

IVRCMain::IVRCMain(uint8_t lineIndex, IVRCNotify* notify, RecordingLeveller* leveller)
    : notify_(notify),
      leveller_(leveller),
      lineIndex_(lineIndex),
      section_(LineSectionName(lineIndex)) {}

// The profile layer keeps no cached copies, so nothing needs flushing here.
IVRCMain::~IVRCMain() {
    plugin_.Close();
    variables_.Clear();
    messages_.Close();
}

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
    if (count == needed) {
        WriteDailyLog(lineName + " " + number + (answer ? " [Answered]" : " [Not Answered]"));
        ReportAnswer(answer, choice.answeringOn, choice.ogmName);
    }
    if (!answer)
        return false;
    variables_.Clear();
    state_ = IVRState::Accepted;
    callStart_ = LocalNow();
    unplayableSaid_.clear();
    silentSteps_ = 0;
    heardSinceOgm_ = false;
    return true;
}

void IVRCMain::OnConnected() {
    ORVIA_ASSERT_MAIN_THREAD();
    wrongCodes_ = 0;
    if (state_ == IVRState::Idle) {
        // An outgoing forwarding call: the main window names the mailbox.
        state_ = IVRState::Forwarding;
        callStart_ = LocalNow();
        unplayableSaid_.clear();
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
    heardSinceOgm_ = true;
    if (waitingForPlugin_) {
        heldKeys_.push_back(key);
        return;
    }
    switch (state_) {
        case IVRState::Ogm:
        case IVRState::InvalidPrompt:
        case IVRState::PlayFile:
        case IVRState::RecordTone:
        case IVRState::RecordingFile:
            // The OGM's menu stays live during its prompts, files and recordings.
            OnOgmKey(key);
            break;
        case IVRState::TransferQuery:
            OnTransferAnswer(key);
            break;
        case IVRState::AccessCode:
            OnAccessCodeKey(key);
            break;
        case IVRState::PlayingMessage:
        case IVRState::MessageMenu:
        case IVRState::NoMoreMessages:
            OnMessageMenuKey(key);
            break;
        case IVRState::MailboxSetup:
        case IVRState::PlayingGreeting:
        case IVRState::RecordingGreeting:
            OnSetupKey(key);
            break;
        case IVRState::Forwarding:
            OnForwardingKey(key);
            break;
        default:
            // Greetings, record tones, message recordings, dialling, the
            // refusal of a caller with too many wrong codes and the goodbye
            // drop keys.
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
        case IVRState::ConfirmedDial:
            AskTransferQuery();
            break;
        case IVRState::RejectDial:
            OnRejectDialled();
            break;
        default:
            break;
    }
}

void IVRCMain::OnPlayComplete() {
    ORVIA_ASSERT_MAIN_THREAD();
    ++audioEnded_;
    if (!ReadPluginOutput())
        HandlePlayComplete();
}

void IVRCMain::HandlePlayComplete() {
    switch (state_) {
        case IVRState::Ogm:
            WaitTicks(static_cast<int64_t>(ReadOgmInt("wait", 6)) * kTicksPerSecond);
            break;
        case IVRState::InvalidPrompt:
        case IVRState::PlayFile:
            StartOGM();
            break;
        case IVRState::TransferQuery:
            if (counter_ == 0) {
                RejectTransfer();
            } else {
                --counter_;
                PlayPrompt("TransferQuery");
            }
            break;
        case IVRState::MailboxGreeting:
            state_ = IVRState::MessageTone;
            PlayPrompt("RecordTone");
            break;
        case IVRState::MessageTone:
            StartMessageRecording();
            break;
        case IVRState::RecordTone:
            state_ = IVRState::RecordingFile;
            RecordTo(recordPath_);
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
        case IVRState::RecordingGreeting:
            RecordTo(recordPath_);
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
        case IVRState::AccessRefused:
            Goodbye();
            break;
        default:
            break;
    }
}

void IVRCMain::OnWaitComplete() {
    ORVIA_ASSERT_MAIN_THREAD();
    ++audioEnded_;
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
        case IVRState::MessageMenu:
            NextMessage();
            break;
        default:
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
    if (state_ == IVRState::RecordingMessage)
        FinishMessage();
    mode_ = IVRMode::None;
    state_ = IVRState::Idle;
    wrongCodes_ = 0;
    plugin_.Close();
    waitingForPlugin_ = false;
    heldKeys_.clear();
    HandOffRecordPath();
    ReportCallEnd();
}

void IVRCMain::HandOffRecordPath() {
    if (recordPath_.empty())
        return;
    if (leveller_)
        leveller_->Enqueue(recordPath_);
    recordPath_.clear();
}

LSoundSource IVRCMain::OpenWave(const std::string& path) {
    return OpenWaveFile(path);
}

LSoundSource IVRCMain::OpenMp3(const std::string& path) {
    return OpenMp3File(path);
}

void IVRCMain::OpenDocument(const std::string& pathOrUrl) {
    OpenWithDesktop(pathOrUrl);
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

void IVRCMain::Post(int message) {
    if (notify_)
        notify_->Post(message);
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
