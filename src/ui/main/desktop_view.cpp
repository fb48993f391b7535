#include "ui/main/desktop_view.h"

#include <QGuiApplication>

#include "app/core/main_dialog.h"
#include "line/line_application.h"
#include "platform/dispatch/dispatcher.h"
#include "platform/thread/thread_affinity.h"
#include "ui/framework/help.h"
#include "ui/framework/questions.h"
#include "ui/main/caller_id_flash.h"
#include "ui/main/main_messages.h"
#include "ui/main/main_window.h"
#include "ui/main/splash_screen.h"
#include "ui/main/tray_icon.h"

namespace orvia {

DesktopView::DesktopView(const LineBank& lines, std::ostream& out, bool startHidden,
                         MainWindowDialogs dialogs)
    : console_(lines, out), startHidden_(startHidden), dialogs_(std::move(dialogs)) {
    ORVIA_ASSERT_MAIN_THREAD();
    bannerTimer_.setSingleShot(true);
    flashTimer_.setSingleShot(true);
    QObject::connect(&bannerTimer_, &QTimer::timeout, [this] {
        if (window_)
            window_->ShowNextBanner();
        bannerTimer_.start(kBannerEveryMs);
    });
    QObject::connect(&flashTimer_, &QTimer::timeout, [this] {
        if (flash_)
            flash_->hide();
    });
}

DesktopView::~DesktopView() {
    Destroy();
}

void DesktopView::Attach(MainDialog* app) {
    app_ = app;
}

bool DesktopView::TrayAvailable() const {
    return tray_ != nullptr && tray_->InNotificationArea();
}

void DesktopView::Create() {
    if (app_ == nullptr || window_)
        return;
    window_ = std::make_unique<MainWindow>(*app_, dialogs_);
    tray_ = std::make_unique<TrayIcon>(
        [] {
            // As the icon's message: the core shows the window.
            if (Dispatcher* dispatcher = CurrentDispatcher())
                dispatcher->PostMessage(kMsgTrayIcon, 0, kTrayLeftButtonDown);
        },
        [this] {
            if (app_ != nullptr)
                app_->Close();
        });
    tray_->Add();
    flash_ = std::make_unique<CallerIdFlash>();
    // The end of the desktop session: a close from then on does not ask.
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, window_.get(), [this] {
        if (app_ != nullptr)
            app_->SessionEnding();
    });
    if (!startHidden_)
        window_->show();
}

void DesktopView::ShowSplash() {
    if (!splash_)
        splash_ = std::make_unique<SplashScreen>();
    splash_->ShowForAWhile();
}

void DesktopView::FillLists() {
    if (window_)
        window_->FillLists();
}

void DesktopView::StartWidgetTimers() {
    bannerTimer_.start(kBannerFirstMs);
    flashTimer_.start(kFlashFirstMs);
}

void DesktopView::Destroy() {
    bannerTimer_.stop();
    flashTimer_.stop();
    if (window_ == nullptr || destroyed_)
        return;
    destroyed_ = true;
    console_.Destroy();
    flash_.reset();
    splash_.reset();
    tray_.reset();
    CloseHelp();
    window_->hide();
}

void DesktopView::ShowAndBringToFront() {
    if (!window_)
        return;
    window_->showNormal();
    window_->raise();
    window_->activateWindow();
}

void DesktopView::Hide() {
    if (!window_)
        return;
    // Without an icon in a notification area a hidden window could not be
    // reached again: it goes to the task bar instead. A notification area
    // that appeared since the start gets the icon first.
    if (tray_)
        tray_->Add();
    if (TrayAvailable())
        window_->hide();
    else
        window_->showMinimized();
}

void DesktopView::ResetTrayIcon() {
    if (tray_)
        tray_->Reset();
}

CloseAnswer DesktopView::AskContinueInBackground() {
    switch (CurrentQuestions().Ask(window_.get(), BackgroundQuestion())) {
        case Answer::Yes:
            return CloseAnswer::Yes;
        case Answer::No:
            return CloseAnswer::No;
        default:
            return CloseAnswer::Cancel;
    }
}

void DesktopView::AddMessage(const std::string& messageIni) {
    if (window_)
        window_->AddMessage(messageIni);
}

void DesktopView::MarkMessageRead(const std::string& messageIni) {
    if (window_)
        window_->MarkMessageRead(messageIni);
}

void DesktopView::RemoveMessage(const std::string& messageIni) {
    if (window_)
        window_->RemoveMessage(messageIni);
}

void DesktopView::ShowCallerIdFlash(const std::string& text) {
    console_.ShowCallerIdFlash(text);
    if (!flash_)
        return;
    flash_->hide();
    flash_->Flash(CallerIdLines(text));
    flashTimer_.start(kFlashShownMs);
}

void DesktopView::LinesSetUp(int count) {
    console_.LinesSetUp(count);
    if (count == 0 && window_)
        CurrentQuestions().Ask(window_.get(), NoLineDevicesMessage(TelephonyConfigPath()));
}

void DesktopView::OtherStartNoticed(bool logon) {
    console_.OtherStartNoticed(logon);
    // Without a notification area, a start is the way back to the window.
    if (!TrayAvailable())
        ShowAndBringToFront();
}

void DesktopView::MessageStored(const std::string& messageIni) {
    console_.MessageStored(messageIni);
}

void DesktopView::PlayingChanged(bool playing) {
    if (window_)
        window_->SetPlaying(playing);
}

}  // namespace orvia
