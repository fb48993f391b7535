#include "ui/main/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/core/desktop_playback.h"
#include "app/core/mailbox_actions.h"
#include "app/core/main_dialog.h"
#include "app/core/main_lists.h"
#include "platform/thread/thread_affinity.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"
#include "ui/framework/help.h"
#include "ui/framework/pictures.h"
#include "ui/main/about_dialog.h"
#include "ui/main/banner.h"
#include "ui/main/call_log_dialog.h"
#include "ui/main/mailbox_commands.h"
#include "ui/main/main_window_keys.h"
#include "ui/main/message_commands.h"
#include "ui/main/message_list_view.h"

namespace orvia {
namespace {

constexpr int kBannerInterval = 8000;
const QSize kSwitchSize(40, 24);
const QSize kButtonSize(40, 27);

QToolButton* PictureButton(QWidget* parent, const char* name, QSize size, const char* tip) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setIconSize(size);
    button->setAutoRaise(false);
    button->setToolTip(tip);
    return button;
}

bool AnsweringOn() {
    return ReadProfileBool(Store().SettingsFile(), "state", "on", true);
}

}  // namespace

MainWindow::MainWindow(MainDialog& app, MainWindowDialogs dialogs)
    : app_(app), dialogs_(std::move(dialogs)) {
    ORVIA_ASSERT_MAIN_THREAD();
    setObjectName("mainWindow");
    setWindowTitle("Orvia");
    setWindowIcon(Picture(kPictureWindowIcon));
    actions_ = BuildMainMenus(this, menuBar());
    setCentralWidget(BuildControls());
    ConnectCommands();
    keys_ = std::make_unique<MainWindowKeys>(*this);
    UpdateMessageControls();
}

MainWindow::~MainWindow() = default;

QWidget* MainWindow::BuildControls() {
    auto* central = new QWidget(this);
    auto* ogmLabel = new QLabel(tr("Out-Going Message (Default Answer OGM)"), central);
    ogms_ = new QComboBox(central);
    ogms_->setObjectName("ogms");
    ogms_->setToolTip("Select OGM to answer calls with");
    ogmLabel->setBuddy(ogms_);
    onOff_ = PictureButton(central, "onOff", kSwitchSize, "Click to turn Orvia on or off");
    onOff_->setCheckable(true);

    auto* mailboxLabel = new QLabel(tr("Voice Mailbox"), central);
    mailboxes_ = new QComboBox(central);
    mailboxes_->setObjectName("mailboxes");
    mailboxes_->setToolTip("Select Mailbox");
    mailboxLabel->setBuddy(mailboxes_);

    messages_ = new MessageListView(central);
    messages_->setObjectName("messages");
    messages_->setToolTip("List of In-Coming Messages");
    play_ = PictureButton(central, "play", kButtonSize, "Play selected In-Coming Message (F9)");
    play_->setCheckable(true);
    email_ = PictureButton(central, "email", kButtonSize,
                           "Email selected In-Coming Message(s) (Ctrl+S)");
    delete_ = PictureButton(central, "delete", kButtonSize,
                            "Delete selected In-Coming Messages (Ctrl+Del)");

    logo_ = new QLabel(central);
    logo_->setObjectName("logo");
    logo_->setPixmap(Picture(kPictureWindowIcon).pixmap(QSize(32, 32)));
    logo_->setToolTip("Click for the Orvia links");
    logo_->setCursor(Qt::PointingHandCursor);
    banner_ = new QLabel(central);
    banner_->setObjectName("banner");
    banner_->setToolTip("Click for the Orvia links");
    banner_->setCursor(Qt::PointingHandCursor);
    banner_->setText(BannerTexts().front());
    QFont bannerFont = banner_->font();
    bannerFont.setBold(true);
    banner_->setFont(bannerFont);
    banner_->setMinimumWidth(banner_->fontMetrics().averageCharWidth() * 40);
    logo_->installEventFilter(this);
    banner_->installEventFilter(this);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(play_);
    buttons->addWidget(email_);
    buttons->addWidget(delete_);
    buttons->addStretch();

    auto* layout = new QGridLayout(central);
    layout->addWidget(ogmLabel, 0, 0);
    layout->addWidget(ogms_, 1, 0);
    layout->addWidget(onOff_, 1, 1);
    layout->addWidget(mailboxLabel, 2, 0);
    layout->addWidget(mailboxes_, 3, 0);
    layout->addWidget(messages_, 4, 0);
    layout->addLayout(buttons, 4, 1);
    auto* bottom = new QGridLayout;
    bottom->addWidget(logo_, 0, 0);
    bottom->addWidget(banner_, 0, 1);
    bottom->setColumnStretch(1, 1);
    layout->addLayout(bottom, 5, 0, 1, 2);
    layout->setRowStretch(4, 1);
    layout->setColumnStretch(0, 1);

    const QFontMetrics metrics = fontMetrics();
    messages_->setMinimumSize(metrics.averageCharWidth() * 56, metrics.lineSpacing() * 8);
    return central;
}

void MainWindow::ConnectCommands() {
    const MainActions& a = actions_;
    connect(ogms_, &QComboBox::activated, this, [this] {
        WriteProfileString(Store().SettingsFile(), "settings", "ogm", SelectedOgm());
    });
    connect(mailboxes_, &QComboBox::activated, this, [this] {
        SelectMailbox(mailboxes_->currentText().toStdString());
        FillMessageList();
    });
    connect(onOff_, &QToolButton::clicked, this, [this] { SetAnswering(!AnsweringOn()); });
    connect(play_, &QToolButton::clicked, this, &MainWindow::TogglePlay);
    connect(email_, &QToolButton::clicked, this, &MainWindow::EmailSelected);
    connect(delete_, &QToolButton::clicked, this, &MainWindow::DeleteSelected);
    connect(messages_, &QTreeWidget::itemSelectionChanged, this,
            &MainWindow::UpdateMessageControls);

    connect(a.settings, &QAction::triggered, this, &MainWindow::OpenSettings);
    connect(a.callLogs, &QAction::triggered, this, &MainWindow::ViewCallLogs);
    connect(a.simulator, &QAction::triggered, this, &MainWindow::OpenSimulator);
    connect(a.closeToBackground, &QAction::triggered, this, &MainWindow::CloseToBackground);
    connect(a.exit, &QAction::triggered, this, &MainWindow::Exit);
    connect(a.ogmNew, &QAction::triggered, this, [this] { OpenOgmList(OgmListMode::New); });
    connect(a.ogmRename, &QAction::triggered, this, [this] { OpenOgmList(OgmListMode::Rename); });
    connect(a.ogmDelete, &QAction::triggered, this, [this] { OpenOgmList(OgmListMode::Delete); });
    connect(a.ogmList, &QAction::triggered, this, [this] { OpenOgmList(OgmListMode::OpenList); });
    connect(a.ogmProperties, &QAction::triggered, this,
            [this] { OpenOgmList(OgmListMode::Properties); });
    connect(a.ogmMap, &QAction::triggered, this, &MainWindow::OpenCallFlowMap);
    connect(a.ogmPlay, &QAction::triggered, this, &MainWindow::PlaySelectedOgm);
    connect(a.ogmStop, &QAction::triggered, this, &MainWindow::StopPlaying);
    connect(a.on, &QAction::triggered, this, [this] { SetAnswering(true); });
    connect(a.off, &QAction::triggered, this, [this] { SetAnswering(false); });
    connect(a.mailboxNew, &QAction::triggered, this, &MainWindow::NewMailbox);
    connect(a.mailboxRename, &QAction::triggered, this, &MainWindow::RenameMailbox);
    connect(a.mailboxDelete, &QAction::triggered, this, &MainWindow::DeleteMailbox);
    connect(a.mailboxProperties, &QAction::triggered, this, &MainWindow::MailboxProperties);
    connect(a.messagePlay, &QAction::triggered, this, &MainWindow::PlaySelectedMessage);
    connect(a.messageStop, &QAction::triggered, this, &MainWindow::StopPlaying);
    connect(a.messageEmail, &QAction::triggered, this, &MainWindow::EmailSelected);
    connect(a.messageSave, &QAction::triggered, this, &MainWindow::SaveSelected);
    connect(a.messageDelete, &QAction::triggered, this, &MainWindow::DeleteSelected);
    connect(a.helpContents, &QAction::triggered, this, &MainWindow::ShowHelp);
    connect(a.about, &QAction::triggered, this, &MainWindow::ShowAbout);

    // The dialogs of the other UI parts: greyed until they are there.
    a.settings->setEnabled(static_cast<bool>(dialogs_.settings));
    a.simulator->setEnabled(static_cast<bool>(dialogs_.callTestSimulator));
    for (QAction* ogm : {a.ogmNew, a.ogmRename, a.ogmDelete, a.ogmList, a.ogmProperties})
        ogm->setEnabled(static_cast<bool>(dialogs_.ogmList));
    a.ogmMap->setEnabled(static_cast<bool>(dialogs_.callFlowMap));

    // Context menus over the controls: the menu bar's menus.
    const std::pair<QWidget*, QMenu*> contexts[] = {
        {ogms_, a.ogmMenu},         {onOff_, a.ogmMenu},    {mailboxes_, a.mailboxMenu},
        {messages_, a.messageMenu}, {banner_, a.linksMenu}, {logo_, a.linksMenu}};
    for (const auto& [control, menu] : contexts) {
        control->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(control, &QWidget::customContextMenuRequested, this,
                [this, menu = menu] { ShowContextMenu(menu); });
    }
}

void MainWindow::FillLists() {
    FillOgmList();
    FillMailboxList();
    FillMessageList();
    ShowAnswering();
}

void MainWindow::FillOgmList() {
    ogms_->clear();
    for (const std::string& name : AnswerOgmNames())
        ogms_->addItem(QString::fromStdString(name));
    ogms_->setCurrentIndex(ogms_->findText(QString::fromStdString(AnsweringOgmName())));
    actions_.ogmPlay->setEnabled(ogms_->currentIndex() >= 0);
}

void MainWindow::FillMailboxList() {
    mailboxes_->clear();
    for (const std::string& name : MailboxNames())
        mailboxes_->addItem(QString::fromStdString(name));
    mailboxes_->setCurrentIndex(mailboxes_->findText(QString::fromStdString(ShownMailboxName())));
    const bool shown = mailboxes_->currentIndex() >= 0;
    actions_.mailboxRename->setEnabled(shown);
    actions_.mailboxDelete->setEnabled(shown);
    actions_.mailboxProperties->setEnabled(shown && dialogs_.mailboxProperties);
}

void MainWindow::FillMessageList() {
    messages_->Fill(ShownMailbox());
    UpdateMessageControls();
}

void MainWindow::ShowAnswering() {
    const bool on = AnsweringOn();
    onOff_->setIcon(Picture(on ? kPictureOn : kPictureOff));
    onOff_->setChecked(on);
    actions_.on->setChecked(on);
    actions_.off->setChecked(!on);
}

std::string MainWindow::ShownMailbox() const {
    return mailboxes_->currentIndex() >= 0 ? mailboxes_->currentText().toStdString()
                                           : std::string();
}

std::string MainWindow::SelectedOgm() const {
    return ogms_->currentIndex() >= 0 ? ogms_->currentText().toStdString() : std::string();
}

void MainWindow::AddMessage(const std::string& messageIni) {
    const std::string mailbox = ShownMailbox();
    if (!MessageBelongsTo(messageIni, mailbox))
        return;
    messages_->AddAtTop(ReadMessageItem(messageIni, mailbox));
    UpdateMessageControls();
}

void MainWindow::MarkMessageRead(const std::string& messageIni) {
    messages_->MarkRead(messageIni);
}

void MainWindow::RemoveMessage(const std::string& messageIni) {
    messages_->Remove(messageIni);
    UpdateMessageControls();
}

void MainWindow::SetPlaying(bool playing) {
    play_->setChecked(playing);
}

void MainWindow::ShowNextBanner() {
    const std::vector<QString> texts = BannerTexts();
    bannerIndex_ = (bannerIndex_ + 1) % texts.size();
    banner_->setText(texts[bannerIndex_]);
}

void MainWindow::UpdateMessageControls() {
    const bool selected = !messages_->SelectedMessages().empty();
    play_->setIcon(Picture(selected ? kPicturePlay : kPicturePlayIdle));
    email_->setIcon(Picture(selected ? kPictureEmail : kPictureEmailIdle));
    delete_->setIcon(Picture(selected ? kPictureDelete : kPictureDeleteIdle));
    for (QAction* action : {actions_.messagePlay, actions_.messageStop, actions_.messageEmail,
                            actions_.messageSave, actions_.messageDelete})
        action->setEnabled(selected);
}

void MainWindow::PlaySelectedMessage() {
    ::orvia::PlaySelectedMessage(app_.Playback(), *messages_);
    play_->setChecked(app_.Playback().IsPlaying());
}

void MainWindow::StopPlaying() {
    app_.Playback().Stop();
    play_->setChecked(false);
}

void MainWindow::TogglePlay() {
    if (app_.Playback().IsPlaying())
        StopPlaying();
    else
        PlaySelectedMessage();
}

void MainWindow::PlaySelectedOgm() {
    const std::string ogm = SelectedOgm();
    if (ogm.empty())
        return;
    PlayOnDesktop(app_.Playback(), Store().OGMs() + ogm + ".wav");
}

void MainWindow::EmailSelected() {
    EmailSelectedMessages(this, *messages_, ShownMailbox());
}

void MainWindow::SaveSelected() {
    SaveSelectedMessages(this, *messages_);
}

void MainWindow::DeleteSelected() {
    DeleteSelectedMessages(*messages_);
    UpdateMessageControls();
}

void MainWindow::SetAnswering(bool on) {
    WriteProfileBool(Store().SettingsFile(), "state", "on", on);
    ShowAnswering();
}

void MainWindow::NewMailbox() {
    if (::orvia::NewMailbox(this, dialogs_)) {
        FillMailboxList();
        FillMessageList();
    }
}

void MainWindow::RenameMailbox() {
    if (RenameMailboxAsked(this, ShownMailbox())) {
        FillMailboxList();
        FillMessageList();
    }
}

void MainWindow::DeleteMailbox() {
    DeleteMailboxAsked(this, ShownMailbox());
    FillMailboxList();
    FillMessageList();
}

void MainWindow::MailboxProperties() {
    const std::string mailbox = ShownMailbox();
    if (dialogs_.mailboxProperties && !mailbox.empty())
        dialogs_.mailboxProperties(this, mailbox);
}

void MainWindow::ViewCallLogs() {
    CallLogDialog dialog(this);
    dialog.Run();
}

void MainWindow::ShowAbout() {
    AboutDialog dialog(this);
    dialog.Run();
}

void MainWindow::ShowHelp() {
    OpenHelp(this, kHelpContents);
}

void MainWindow::ShowLinksMenu() {
    ShowContextMenu(actions_.linksMenu);
}

void MainWindow::OpenOgmList(OgmListMode mode) {
    if (!dialogs_.ogmList)
        return;
    dialogs_.ogmList(this, mode, SelectedOgm());
    FillOgmList();
}

void MainWindow::OpenCallFlowMap() {
    if (!dialogs_.callFlowMap)
        return;
    dialogs_.callFlowMap(this);
    FillLists();
}

void MainWindow::OpenSettings() {
    if (!dialogs_.settings)
        return;
    dialogs_.settings(this);
    app_.SettingsApplied();
}

void MainWindow::OpenSimulator() {
    if (dialogs_.callTestSimulator)
        dialogs_.callTestSimulator(this, &app_);
}

void MainWindow::CloseToBackground() {
    app_.Hide();
}

void MainWindow::Exit() {
    app_.Close();
}

void MainWindow::ShowContextMenu(QMenu* menu) {
    menu->popup(QCursor::pos());
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The core decides: it asks the background question and hides or
    // destroys the window through the view.
    event->ignore();
    app_.Close();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == banner_ || watched == logo_) && event->type() == QEvent::MouseButtonRelease) {
        ShowLinksMenu();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace orvia
