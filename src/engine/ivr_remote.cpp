// IVRCMain: remote mailbox access. The access code entry, the message menu
// over the mailbox's messages, the set-up menu with the greeting, and the
// menu of a forwarding call.
#include "engine/ivr_main.h"

#include "engine/access_code.h"
#include "engine/line_settings_p.h"
#include "engine/mailbox_files.h"
#include "line/vline.h"
#include "platform/diagnostics/diagnostics.h"
#include "platform/files/text_file.h"
#include "platform/time/clock.h"
#include "store/call_log.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"

namespace orvia {
namespace {

void WriteNewMessagesFlag(bool value) {
    WriteProfileBool(Store().SettingsFile(), "state", "newmessages", value);
}

}  // namespace

void IVRCMain::StartAccessCode() {
    state_ = IVRState::AccessCode;
    digits_.clear();
    PlayPrompt("EnterAccessCode");
}

void IVRCMain::OnAccessCodeKey(char key) {
    if (key >= '0' && key <= '9') {
        // Keys do not restart the wait: the caller has 20 s from the end of
        // the prompt.
        if (digits_.size() < kMaxEnteredDigits)
            digits_.push_back(key);
        return;
    }
    if (key == '*') {
        digits_.clear();
        return;
    }
    if (key != '#')
        return;
    AccessAttempt attempt = TryAccessCode(digits_, LocalNow());
    digits_.clear();
    if (!attempt.opened.empty()) {
        SetCurrentMailbox(std::move(attempt.opened));
        WriteNewMessagesFlag(false);
        StartMessages();
        return;
    }
    WrongAccessCode(attempt.charged, attempt.matchedLocked);
}

void IVRCMain::WrongAccessCode(const std::vector<std::string>& charged, bool matchedLocked) {
    const int64_t now = LocalNow();
    const AccessCodeLimits limits = ReadAccessCodeLimits();
    const std::string lineName = LineName(section_);
    const std::string number = Line() ? Line()->CallerNumber() : std::string();
    std::string names;
    for (const std::string& path : charged) {
        const std::string name = MailboxNameOf(path);
        names += (names.empty() ? "" : ", ") + name;
        if (CountWrongCode(path, now, limits))
            ReportWarning("engine", "mailbox " + name + " refuses remote access for " +
                                        std::to_string(limits.lockMinutes) + " minutes after " +
                                        std::to_string(limits.perHour) +
                                        " wrong access codes within an hour");
    }
    // The entered digits are never written anywhere: a near miss would give
    // the code away to whoever reads the log.
    const std::string target = names.empty() ? std::string("no mailbox allows remote access")
                                             : names + (matchedLocked ? " (locked)" : "");
    WriteDailyLog(lineName + " " + number + " [Wrong Access Code] " + target);
    ReportWarning("engine", lineName + ": wrong access code from " +
                                (number.empty() ? std::string("an unknown caller") : number) +
                                " for " + target);
    ++wrongCodes_;
    // The prompt plays either way; after the call's last try its end leads to
    // the goodbye, otherwise state 15 stays and another 20 s follow.
    if (wrongCodes_ >= limits.perCall)
        state_ = IVRState::AccessRefused;
    PlayPrompt("InvalidAccessCode");
}

void IVRCMain::StartMessages() {
    messages_.Close();
    if (!currentMailbox_.empty())
        messages_.Start(CurrentMailboxName());
    PlayCurrentMessage();
}

void IVRCMain::PlayCurrentMessage() {
    if (!messages_.HasCurrent()) {
        state_ = IVRState::NoMoreMessages;
        PlayPrompt("NoMoreMessagesMenu");
        return;
    }
    state_ = IVRState::PlayingMessage;
    std::string ini = messages_.CurrentIni();
    const std::string wave = MessageAudioPath(ini);
    // Marked read as it starts. A message deleted meanwhile (on another
    // line) is not brought back by the mark.
    if (FileIsPresent(ini)) {
        WriteProfileBool(ini, kMessageSection, "read", true);
        Send(kMsgMessageHeard, ini);
    }
    PlaySource(OpenWave(wave));
}

void IVRCMain::NextMessage() {
    messages_.Next();
    PlayCurrentMessage();
}

void IVRCMain::DeleteCurrentMessage() {
    if (Line())
        Line()->Stop();
    if (!messages_.HasCurrent()) {
        NextMessage();
        return;
    }
    std::string ini = messages_.CurrentIni();
    const std::string wave = MessageAudioPath(ini);
    // Only this message's two files go; files already gone are not reported.
    const bool present = FileIsPresent(wave) || FileIsPresent(ini);
    RemoveFileIfPresent(wave);
    RemoveFileIfPresent(ini);
    NextMessage();
    if (present)
        Send(kMsgMessageDeleted, ini);
}

void IVRCMain::OnMessageMenuKey(char key) {
    switch (key) {
        case '1':
            // In state 18 there is no current message: the menu plays again.
            PlayCurrentMessage();
            break;
        case '2':
        case '#':
            NextMessage();
            break;
        case '5':
            DeleteCurrentMessage();
            break;
        case '8':
            StartSetupMenu();
            break;
        case '9':
            Goodbye();
            break;
        case '*':
            StartAccessCode();
            break;
        default:
            break;
    }
}

void IVRCMain::StartSetupMenu() {
    state_ = IVRState::MailboxSetup;
    PlayPrompt("MailBoxSetup");
}

void IVRCMain::PlayGreeting() {
    state_ = IVRState::PlayingGreeting;
    LSoundSource greeting = OpenWave(GreetingPath(CurrentMailboxName()));
    if (IsInvalid(greeting))
        PlayPrompt("LeaveMessage");
    else
        PlaySource(greeting);
}

void IVRCMain::StartGreetingRecording() {
    HandOffRecordPath();
    recordPath_ = GreetingPath(CurrentMailboxName());
    state_ = IVRState::RecordingGreeting;
    PlayPrompt("RecordTone");
}

void IVRCMain::OnSetupKey(char key) {
    switch (key) {
        case '1':
            PlayGreeting();
            break;
        case '2':
            StartGreetingRecording();
            break;
        case '#':
        case '3':
        case '8':
            // While a new greeting is recorded these keys end the recording
            // and go back to the menu; otherwise the menu plays again (after
            // a greeting play, its end brings a second one).
            if (state_ == IVRState::RecordingGreeting)
                StartSetupMenu();
            else
                PlayPrompt("MailBoxSetup");
            break;
        case '9':
            Goodbye();
            break;
        case '*':
            StartAccessCode();
            break;
        default:
            break;
    }
}

void IVRCMain::OnForwardingKey(char key) {
    if (key == '1') {
        if (!currentMailbox_.empty())
            WriteProfileBool(currentMailbox_, kMailboxSection, "unforwardedmessages", false);
        WriteNewMessagesFlag(false);
        StartMessages();
    } else if (key == '2') {
        HangUp();
    }
}

}  // namespace orvia
