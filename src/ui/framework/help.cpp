#include "ui/framework/help.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/files/program_location.h"
#include "platform/thread/thread_affinity.h"
#include "ui/framework/desktop_handoff.h"
#include "ui/framework/pictures.h"

namespace orvia {
namespace {

struct TopicPage {
    int topic;
    const char* page;
};

// The pages that exist; a dialog added later brings its page and its line here.
constexpr TopicPage kPages[] = {
    {kHelpContents, "index.html"},
    {kHelpMainWindow, "main-window.html"},
    {kHelpCallLogs, "call-logs.html"},
    {kHelpEmail, "send-email.html"},
    // Settings, devices, recording, the simulator and speech.
    {kHelpSettingsGeneral, "settings-general.html"},
    {kHelpSettingsDevices, "settings-devices.html"},
    {kHelpSettingsAutoHours, "settings-autohours.html"},
    {kHelpSettingsTransferRecord, "settings-transfer-record.html"},
    {kHelpSettingsEmail, "settings-email.html"},
    {kHelpLineProperties, "line-properties.html"},
    {kHelpSipDevice, "device-settings.html"},
    {kHelpFormatChooser, "compression-format.html"},
    {kHelpRecordControl, "record-control.html"},
    {kHelpCallTestSimulator, "call-test-simulator.html"},
    {kHelpSpeech, "synthesize-speech.html"},
    // The OGM editor, the mailbox dialog and the call-flow map.
    {kHelpMailboxProperties, "mailbox-properties.html"},
    {kHelpOgmList, "ogm-list.html"},
    {kHelpOgmMessage, "ogm-message.html"},
    {kHelpOgmKeyResponse, "ogm-key-response.html"},
    {kHelpOgmDateTime, "ogm-date-time.html"},
    {kHelpOgmAdvanced, "ogm-advanced.html"},
    {kHelpOgmActions, "ogm-actions.html"},
    {kHelpCallFlowMap, "call-flow-map.html"},
};

class HelpWindow : public QWidget {
public:
    HelpWindow() {
        setWindowTitle(QObject::tr("Orvia Help"));
        setWindowIcon(Picture(kPictureWindowIcon));
        setAttribute(Qt::WA_DeleteOnClose);
        browser_ = new QTextBrowser(this);
        browser_->setObjectName("helpBrowser");
        // Pages link to each other inside the resources; anything else goes
        // to the desktop's browser.
        browser_->setOpenLinks(false);
        connect(browser_, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
            const QUrl target = browser_->source().resolved(url);
            if (target.scheme() == "qrc")
                browser_->setSource(target);
            else
                CurrentHandoff().Open(target.toString().toStdString());
        });
        // The installed pages open in the desktop's browser as well.
        auto* inBrowser = new QPushButton(QObject::tr("Open in &Browser"), this);
        inBrowser->setObjectName("helpOpenInBrowser");
        const std::string dataFolder = ProgramDataFolder();
        connect(inBrowser, &QPushButton::clicked, this, [this, dataFolder] {
            const QString file = InstalledHelpFile(dataFolder, browser_->source());
            if (!file.isEmpty())
                CurrentHandoff().Open(file.toStdString());
        });
        auto* bar = new QWidget(this);
        auto* buttons = new QHBoxLayout(bar);
        buttons->addStretch();
        buttons->addWidget(inBrowser);
        bar->setVisible(!dataFolder.empty());
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(browser_);
        layout->addWidget(bar);
        const int em = fontMetrics().averageCharWidth();
        resize(em * 80, fontMetrics().height() * 34);
    }

    QTextBrowser* Browser() const { return browser_; }

private:
    QTextBrowser* browser_;
};

QPointer<HelpWindow> g_window;

}  // namespace

QString HelpPageUrl(int topic) {
    for (const TopicPage& page : kPages) {
        if (page.topic == topic)
            return QString("qrc:/help/") + page.page;
    }
    return "qrc:/help/index.html";
}

QString InstalledHelpFile(const std::string& dataFolder, const QUrl& page) {
    if (dataFolder.empty() || page.scheme() != "qrc" || !page.path().startsWith("/help/"))
        return {};
    const QString file =
        QString::fromStdString(dataFolder) + "help/" + QFileInfo(page.path()).fileName();
    return QFileInfo(file).isFile() ? file : QString();
}

void OpenHelp(QWidget*, int topic) {
    ORVIA_ASSERT_MAIN_THREAD();
    // The help window stands on its own: it stays when the dialog that
    // opened it closes.
    if (g_window.isNull())
        g_window = new HelpWindow;
    g_window->Browser()->setSource(QUrl(HelpPageUrl(topic)));
    g_window->show();
    g_window->raise();
    g_window->activateWindow();
}

void CloseHelp() {
    if (!g_window.isNull())
        delete g_window.data();
}

QTextBrowser* HelpBrowser() {
    return g_window.isNull() ? nullptr : g_window->Browser();
}

}  // namespace orvia
