// MainDialog: the application object. It owns the telephone lines, the
// background delivery thread (BGTask) and the desktop sound player, handles
// the main window's messages, runs its timers, logs "Orvia Run" and "Orvia
// Exit", and is the window the engines and the delivery thread report to.
//
// The same core runs with and without widgets: what a window shows goes
// through a MainWindowView (the desktop UI's, or the headless one). Messages
// keep their window-message numbers as identifiers on the dispatcher:
//   1027-1034  from the engines and the delivery thread (engine/ivr_notify.h);
//              those that carry a text arrive through IVRCNotify::Send on the
//              main thread, the others as numbered messages;
//   1044       exit request (signals, /uninstall, another start's "exit");
//   1045       another start, lParam 1 when it was a start at logon;
//   1046       the tray icon, lParam the mouse event.
// Timers (one-shot, each handler first stops its timer): 2 the forwarding
// scheduler (5000 ms, then 7000 ms while messages wait; 3500 ms after 1032),
// 3 the line set-up (1000 ms; 750 ms after the settings sheet asked for a
// restart), 5 the old-message clean-up (12000 ms, then hourly). Timers 1 and
// 4 (banner, caller-id flash) are the widgets'. On the dispatcher a timer's
// id is MainTimerId(number).
//
// Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/core/desktop_playback.h"
#include "app/core/line_bank.h"
#include "app/core/main_window_view.h"
#include "app/status/program_status.h"
#include "delivery/bg_task.h"
#include "delivery/forwarding_scheduler.h"
#include "delivery/message_cleanup.h"
#include "engine/ivr_notify.h"
#include "engine/recording_leveller.h"

namespace orvia {

class Dispatcher;

enum MainWindowMessage : uint32_t {
    kMsgExitRequest = 1044,
    kMsgSecondStart = 1045,
    kMsgTrayIcon = 1046,
};
// lParam of kMsgTrayIcon for a left button press on the icon.
inline constexpr int64_t kTrayLeftButtonDown = 0x0201;

// The dispatcher timer id of the main window's timer n (1 to 5).
constexpr uint32_t MainTimerId(uint32_t n) {
    return 0x4D570000u + n;
}
inline constexpr uint32_t kTimerForwarding = 2;
inline constexpr uint32_t kTimerLineSetUp = 3;
inline constexpr uint32_t kTimerCleanUp = 5;
inline constexpr uint32_t kLineSetUpFirstMs = 1000;
inline constexpr uint32_t kLineRestartMs = 750;

class MainDialog : public IVRCNotify, private ForwardingHost, private MessageList {
public:
    // What the application object is made of; the references must outlive it.
    struct Parts {
        Dispatcher& dispatcher;
        MainWindowView& view;
        LineBank& lines;
        DesktopPlayback& playback;
        // The level-control queue, for the status; null: none.
        const RecordingLeveller* leveller = nullptr;
    };

    // startHidden: started with "/logon" or "/service" (goes to the tray at once).
    MainDialog(Parts parts, bool startHidden);
    // Destroys the window when it still exists.
    ~MainDialog() override;
    MainDialog(const MainDialog&) = delete;
    MainDialog& operator=(const MainDialog&) = delete;

    // Window creation: "Orvia Run", the view, the message handlers, the
    // delivery thread's first pass and the timers. The lines are set up by
    // timer 3.
    void Create();
    bool IsCreated() const { return created_; }

    // Closing the window (menu Exit, Alt+F4): with ask-on-close set, the
    // view is asked whether to go on in the background (Yes hides, Cancel
    // keeps the window); otherwise, or on No, the window is destroyed.
    void Close();
    // Called once the window is destroyed (the event loop ends there).
    void SetOnDestroyed(std::function<void()> callback) { onDestroyed_ = std::move(callback); }

    // The exit request (1044): closes without the question.
    void RequestExit();
    // The desktop session is ending: a close from now on does not ask.
    void SessionEnding() { askOnClose_ = false; }
    // Command 1008: hide into the tray.
    void Hide();
    // After the settings sheet: rebuild the lines in 750 ms when it asked for
    // a restart ("state"/"restart").
    void SettingsApplied();

    // IVRCNotify: the engines' notices (main thread).
    void Send(int message, std::string& text) override;
    void Post(int message) override;

    // Where the clean-up takes file times from (default: the file system).
    void SetFileTimes(FileTimes& times) { fileTimes_ = &times; }

    // The program's status now: lines, delivery, level control, data folder.
    ProgramStatus Status() const;

    BGTask& DeliveryThread() { return bgTask_; }
    DesktopPlayback& Playback() { return parts_.playback; }
    // The mailbox a forwarding call plays (message 1033).
    const std::string& ForwardMailbox() const { return forwardMailbox_; }
    bool AskOnClose() const { return askOnClose_; }

private:
    // ForwardingHost.
    ForwardingLine* FirstLine() override;
    void SetForwardMailbox(const std::string& mailboxFile) override;
    // MessageList.
    void RemoveMessage(const std::string& messageIni) override;

    void OnMessage(uint32_t id, int64_t wParam, int64_t lParam);
    void OnSecondStart(bool logon);
    void OnMessageStored(const std::string& messageIni);
    void OnCallerIdFlash(const std::string& text);
    void OnForwardingTimer();
    void OnLineSetUpTimer();
    void OnCleanUpTimer();
    void Arm(uint32_t timer, uint32_t ms, void (MainDialog::*handler)());
    void Destroy();

    Parts parts_;
    bool startHidden_;
    bool created_ = false;
    bool askOnClose_ = true;
    BGTask bgTask_;
    std::string forwardMailbox_;
    FileTimes* fileTimes_ = &SystemFileTimes();
    // Cleared at destruction: work posted to the dispatcher checks it.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::function<void()> onDestroyed_;
};

}  // namespace orvia
