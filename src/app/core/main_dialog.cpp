#include "app/core/main_dialog.h"

#include <unistd.h>

#include "app/core/main_lists.h"
#include "delivery/delivery_queue.h"
#include "platform/dispatch/dispatcher.h"
#include "platform/thread/thread_affinity.h"
#include "platform/time/clock.h"
#include "store/call_log.h"
#include "store/profile_values.h"
#include "store/settings_store.h"

namespace orvia {
namespace {

// The messages that arrive as numbered messages on the dispatcher (the others
// carry a text and come through Send).
constexpr uint32_t kNumberedMessages[] = {kMsgStartDelivery, kMsgForwardingCheck, kMsgExitRequest,
                                          kMsgSecondStart, kMsgTrayIcon};

bool SettingsBool(const char* section, const char* key, bool def) {
    return ReadProfileBool(Store().SettingsFile(), section, key, def);
}

}  // namespace

MainDialog::MainDialog(Parts parts, bool startHidden)
    : parts_(parts), startHidden_(startHidden), bgTask_(&parts.dispatcher) {
    parts_.playback.SetPlayingChanged(
        [this](bool playing) { parts_.view.PlayingChanged(playing); });
    parts_.view.Attach(this);
}

MainDialog::~MainDialog() {
    Destroy();
    *alive_ = false;
    parts_.playback.SetPlayingChanged(nullptr);
    parts_.view.Attach(nullptr);
}

void MainDialog::Create() {
    ORVIA_ASSERT_MAIN_THREAD();
    if (created_)
        return;
    created_ = true;
    WriteDailyLog("Orvia Run");
    parts_.view.Create();
    if (startHidden_) {
        // As the command 1008 posted to the window: hidden once it is up.
        parts_.dispatcher.Post([this, alive = alive_] {
            if (*alive && created_)
                Hide();
        });
    }
    parts_.view.ShowSplash();
    parts_.view.FillLists();
    for (uint32_t id : kNumberedMessages) {
        parts_.dispatcher.SetMessageHandler(
            id, [this](uint32_t message, int64_t wParam, int64_t lParam) {
                OnMessage(message, wParam, lParam);
            });
    }
    bgTask_.SetNoticeWindow(this);
    bgTask_.StartPass();
    Arm(kTimerForwarding, kForwardingFirstMs, &MainDialog::OnForwardingTimer);
    Arm(kTimerLineSetUp, kLineSetUpFirstMs, &MainDialog::OnLineSetUpTimer);
    Arm(kTimerCleanUp, kCleanUpFirstMs, &MainDialog::OnCleanUpTimer);
    parts_.view.StartWidgetTimers();
}

void MainDialog::Close() {
    ORVIA_ASSERT_MAIN_THREAD();
    if (!created_)
        return;
    if (askOnClose_) {
        switch (parts_.view.AskContinueInBackground()) {
            case CloseAnswer::Yes:
                Hide();
                return;
            case CloseAnswer::Cancel:
                return;
            case CloseAnswer::No:
                break;
        }
    }
    Destroy();
}

void MainDialog::RequestExit() {
    askOnClose_ = false;
    Close();
}

void MainDialog::Hide() {
    parts_.view.Hide();
}

void MainDialog::SettingsApplied() {
    if (created_ && SettingsBool("state", "restart", false))
        Arm(kTimerLineSetUp, kLineRestartMs, &MainDialog::OnLineSetUpTimer);
}

void MainDialog::Destroy() {
    if (!created_)
        return;
    created_ = false;
    for (uint32_t timer : {kTimerForwarding, kTimerLineSetUp, kTimerCleanUp})
        parts_.dispatcher.KillTimer(MainTimerId(timer));
    parts_.lines.Destroy();
    bgTask_.Stop();
    for (uint32_t id : kNumberedMessages)
        parts_.dispatcher.SetMessageHandler(id, nullptr);
    bgTask_.SetNoticeWindow(nullptr);
    parts_.playback.Stop();
    parts_.view.Destroy();
    WriteDailyLog("Orvia Exit");
    if (onDestroyed_)
        onDestroyed_();
}

ProgramStatus MainDialog::Status() const {
    ORVIA_ASSERT_MAIN_THREAD();
    ProgramStatus status;
    status.pid = static_cast<int>(::getpid());
    status.dataFolder = Store().DataFolder();
    status.now = LocalNow();
    status.lines = parts_.lines.Status();
    status.delivery = CountWaitingDeliveries();
    const BGTask::Failure failure = bgTask_.LastFailure();
    status.lastDeliveryFailure = failure.text;
    status.lastDeliveryFailureTime = failure.when;
    status.levelControlWaiting = parts_.leveller ? parts_.leveller->Waiting() : 0;
    return status;
}

void MainDialog::Send(int message, std::string& text) {
    ORVIA_ASSERT_MAIN_THREAD();
    if (!created_)
        return;
    switch (message) {
        case kMsgAnnounceCall:
            PlayAnnouncement(parts_.playback, text);
            break;
        case kMsgMessageStored:
            OnMessageStored(text);
            break;
        case kMsgMessageHeard:
            parts_.view.MarkMessageRead(text);
            break;
        case kMsgMessageDeleted:
            parts_.view.RemoveMessage(text);
            break;
        case kMsgForwardingMailbox:
            text = forwardMailbox_;
            break;
        case kMsgCallerIdFlash:
            OnCallerIdFlash(text);
            break;
        default:
            OnMessage(static_cast<uint32_t>(message), 0, 0);
            break;
    }
}

void MainDialog::Post(int message) {
    parts_.dispatcher.PostMessage(static_cast<uint32_t>(message));
}

void MainDialog::OnMessage(uint32_t id, int64_t, int64_t lParam) {
    ORVIA_ASSERT_MAIN_THREAD();
    if (!created_)
        return;
    switch (id) {
        case kMsgStartDelivery:
            bgTask_.StartPass();
            break;
        case kMsgForwardingCheck:
            Arm(kTimerForwarding, kForwardingSoonMs, &MainDialog::OnForwardingTimer);
            break;
        case kMsgExitRequest:
            RequestExit();
            break;
        case kMsgSecondStart:
            OnSecondStart(lParam != 0);
            break;
        case kMsgTrayIcon:
            if (lParam == kTrayLeftButtonDown)
                parts_.view.ShowAndBringToFront();
            break;
        default:
            break;
    }
}

void MainDialog::OnSecondStart(bool logon) {
    parts_.view.ResetTrayIcon();
    if (!logon)
        parts_.view.ShowAndBringToFront();
    askOnClose_ = true;
    parts_.view.ShowSplash();
    parts_.view.OtherStartNoticed(logon);
}

void MainDialog::OnMessageStored(const std::string& messageIni) {
    if (MessageBelongsTo(messageIni, ShownMailboxName()))
        parts_.view.AddMessage(messageIni);
    parts_.view.MessageStored(messageIni);
    if (SettingsBool("settings", "openwindow", true))
        parts_.view.ShowAndBringToFront();
}

void MainDialog::OnCallerIdFlash(const std::string& text) {
    if (SettingsBool("settings", "cidflash", true))
        parts_.view.ShowCallerIdFlash(text);
}

void MainDialog::Arm(uint32_t timer, uint32_t ms, void (MainDialog::*handler)()) {
    parts_.dispatcher.KillTimer(MainTimerId(timer));
    parts_.dispatcher.SetTimer(MainTimerId(timer), ms, [this, handler] { (this->*handler)(); });
}

void MainDialog::OnForwardingTimer() {
    parts_.dispatcher.KillTimer(MainTimerId(kTimerForwarding));
    if (RunForwardingScheduler(*this))
        Arm(kTimerForwarding, kForwardingPollMs, &MainDialog::OnForwardingTimer);
}

void MainDialog::OnLineSetUpTimer() {
    parts_.dispatcher.KillTimer(MainTimerId(kTimerLineSetUp));
    parts_.view.LinesSetUp(parts_.lines.SetUp(this));
}

void MainDialog::OnCleanUpTimer() {
    parts_.dispatcher.KillTimer(MainTimerId(kTimerCleanUp));
    CleanUpOldMessages(*this, *fileTimes_);
    Arm(kTimerCleanUp, kCleanUpEveryMs, &MainDialog::OnCleanUpTimer);
}

ForwardingLine* MainDialog::FirstLine() {
    return parts_.lines.FirstLine();
}

void MainDialog::SetForwardMailbox(const std::string& mailboxFile) {
    forwardMailbox_ = mailboxFile;
}

void MainDialog::RemoveMessage(const std::string& messageIni) {
    parts_.view.RemoveMessage(messageIni);
}

}  // namespace orvia
