// The main window "Orvia": the answering OGM with the on/off switch, the
// mailbox shown with its In-Coming Messages, the play, e-mail and delete
// buttons, the banner line with the logo, the menu bar and the context
// menus. It shows what the files say and hands every command to the
// application core (MainDialog and the app's actions); it never closes by
// itself: closing asks the core, which asks the background question.
//
// Main thread only.
#pragma once

#include <QMainWindow>
#include <memory>
#include <string>

#include "ui/main/main_menus.h"
#include "ui/main/main_window_dialogs.h"

class QComboBox;
class QLabel;
class QToolButton;

namespace orvia {

class MainDialog;
class MainWindowKeys;
class MessageListView;

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    MainWindow(MainDialog& app, MainWindowDialogs dialogs);
    ~MainWindow() override;

    // --- Filling from the files and settings.
    void FillLists();
    void FillOgmList();
    void FillMailboxList();
    void FillMessageList();
    // The on/off picture and the On/Off checks from "state"/"on".
    void ShowAnswering();

    // --- Live changes (the core's messages).
    void AddMessage(const std::string& messageIni);
    void MarkMessageRead(const std::string& messageIni);
    void RemoveMessage(const std::string& messageIni);
    void SetPlaying(bool playing);
    // The banner's next text (timer 1).
    void ShowNextBanner();

    // --- Commands (menus, buttons, keys).
    void PlaySelectedMessage();
    void StopPlaying();
    void TogglePlay();
    void PlaySelectedOgm();
    void EmailSelected();
    void SaveSelected();
    void DeleteSelected();
    void SetAnswering(bool on);
    void NewMailbox();
    void RenameMailbox();
    void DeleteMailbox();
    void MailboxProperties();
    void ViewCallLogs();
    void ShowAbout();
    void ShowHelp();
    void ShowLinksMenu();
    void OpenOgmList(OgmListMode mode);
    void OpenCallFlowMap();
    void OpenSettings();
    void OpenSimulator();
    void CloseToBackground();
    void Exit();

    // --- The controls, for the view, the key handler and the tests.
    QComboBox* OgmSelector() const { return ogms_; }
    QToolButton* OnOffButton() const { return onOff_; }
    QComboBox* MailboxSelector() const { return mailboxes_; }
    MessageListView* Messages() const { return messages_; }
    QToolButton* PlayButton() const { return play_; }
    QToolButton* EmailButton() const { return email_; }
    QToolButton* DeleteButton() const { return delete_; }
    QLabel* BannerLine() const { return banner_; }
    QLabel* Logo() const { return logo_; }
    const MainActions& Actions() const { return actions_; }
    // The mailbox shown; empty when there is none.
    std::string ShownMailbox() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* BuildControls();
    void ConnectCommands();
    void UpdateMessageControls();
    void ShowContextMenu(QMenu* menu);
    std::string SelectedOgm() const;

    MainDialog& app_;
    MainWindowDialogs dialogs_;
    MainActions actions_;
    QComboBox* ogms_ = nullptr;
    QToolButton* onOff_ = nullptr;
    QComboBox* mailboxes_ = nullptr;
    MessageListView* messages_ = nullptr;
    QToolButton* play_ = nullptr;
    QToolButton* email_ = nullptr;
    QToolButton* delete_ = nullptr;
    QLabel* banner_ = nullptr;
    QLabel* logo_ = nullptr;
    std::size_t bannerIndex_ = 0;
    // True while the lists are being filled: their selection signals are not
    // the user's choice.
    bool filling_ = false;
    std::unique_ptr<MainWindowKeys> keys_;
};

}  // namespace orvia
