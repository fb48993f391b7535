// The desktop's view of the application core: the main window, the tray
// icon, the splash screen and the caller-id flash, with timers 1 (the
// banner, first after 500 ms, then every 8 s) and 4 (the flash goes 10 s
// after creation and 15 s after each flash). What the headless program
// prints on standard output it prints too (through a console view).
//
// Main thread only.
#pragma once

#include <QTimer>
#include <iosfwd>
#include <memory>

#include "app/core/console_view.h"
#include "app/core/main_window_view.h"
#include "ui/main/main_window_dialogs.h"

namespace orvia {

class CallerIdFlash;
class MainWindow;
class SplashScreen;
class TrayIcon;

class DesktopView : public MainWindowView {
public:
    static constexpr int kBannerFirstMs = 500;
    static constexpr int kBannerEveryMs = 8000;
    static constexpr int kFlashFirstMs = 10000;
    static constexpr int kFlashShownMs = 15000;

    // lines and out as for the console view; startHidden: the window is not
    // shown at creation (the core hides it at once).
    DesktopView(const LineBank& lines, std::ostream& out, bool startHidden,
                MainWindowDialogs dialogs);
    ~DesktopView() override;

    void Attach(MainDialog* app) override;
    void Create() override;
    void ShowSplash() override;
    void FillLists() override;
    void StartWidgetTimers() override;
    void Destroy() override;
    void ShowAndBringToFront() override;
    void Hide() override;
    void ResetTrayIcon() override;
    CloseAnswer AskContinueInBackground() override;
    void AddMessage(const std::string& messageIni) override;
    void MarkMessageRead(const std::string& messageIni) override;
    void RemoveMessage(const std::string& messageIni) override;
    void ShowCallerIdFlash(const std::string& text) override;
    void LinesSetUp(int count) override;
    void OtherStartNoticed(bool logon) override;
    void MessageStored(const std::string& messageIni) override;
    void PlayingChanged(bool playing) override;

    // For the tests and the pictures; null before Create.
    MainWindow* Window() const { return window_.get(); }
    CallerIdFlash* Flash() const { return flash_.get(); }
    SplashScreen* Splash() const { return splash_.get(); }
    QTimer& BannerTimer() { return bannerTimer_; }
    QTimer& FlashTimer() { return flashTimer_; }
    bool TrayAvailable() const;

private:
    ConsoleView console_;
    bool startHidden_;
    MainWindowDialogs dialogs_;
    MainDialog* app_ = nullptr;
    bool destroyed_ = false;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<TrayIcon> tray_;
    std::unique_ptr<SplashScreen> splash_;
    std::unique_ptr<CallerIdFlash> flash_;
    QTimer bannerTimer_;
    QTimer flashTimer_;
};

}  // namespace orvia
