#include "ui/main/main_menus.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include "ui/framework/desktop_handoff.h"
#include "ui/main/banner.h"

namespace orvia {
namespace {

QAction* Add(QMenu* menu, const char* text, const char* name) {
    QAction* action = menu->addAction(QString::fromUtf8(text));
    action->setObjectName(name);
    return action;
}

void FillLinks(QMenu* menu) {
    menu->clear();
    for (const LinkEntry& link : LinkEntries()) {
        QAction* action = menu->addAction(link.title);
        action->setEnabled(!link.target.empty());
        const std::string target = link.target;
        QObject::connect(action, &QAction::triggered, menu,
                         [target] { CurrentHandoff().Open(target); });
    }
}

}  // namespace

MainActions BuildMainMenus(QObject* owner, QMenuBar* bar) {
    MainActions a;

    a.fileMenu = bar->addMenu(QObject::tr("&File"));
    a.settings = Add(a.fileMenu, "&Settings...", "settings");
    a.callLogs = Add(a.fileMenu, "&View or Print Call Logs...", "callLogs");
    a.simulator = Add(a.fileMenu, "Call &Test Simulator...", "simulator");
    a.fileMenu->addSeparator();
    a.closeToBackground = Add(a.fileMenu, "&Close (Run in Background)", "closeToBackground");
    a.exit = Add(a.fileMenu, "E&xit\tAlt+F4", "exit");

    a.ogmMenu = bar->addMenu(QObject::tr("&OGM"));
    a.ogmNew = Add(a.ogmMenu, "&New OGM...", "ogmNew");
    a.ogmRename = Add(a.ogmMenu, "&Rename OGM...", "ogmRename");
    a.ogmDelete = Add(a.ogmMenu, "&Delete OGM...", "ogmDelete");
    a.ogmList = Add(a.ogmMenu, "OGM &List...", "ogmList");
    a.ogmProperties = Add(a.ogmMenu, "&Properties...", "ogmProperties");
    a.ogmMap = Add(a.ogmMenu, "Call-Flow &Map...", "ogmMap");
    a.ogmMenu->addSeparator();
    a.ogmPlay = Add(a.ogmMenu, "Play OGM\tCtrl+F9", "ogmPlay");
    a.ogmStop = Add(a.ogmMenu, "Stop", "ogmStop");
    a.ogmMenu->addSeparator();
    a.on = Add(a.ogmMenu, "&On", "on");
    a.off = Add(a.ogmMenu, "O&ff", "off");
    a.on->setCheckable(true);
    a.off->setCheckable(true);
    auto* answering = new QActionGroup(owner);
    answering->addAction(a.on);
    answering->addAction(a.off);

    a.mailboxMenu = bar->addMenu(QObject::tr("&Mailbox"));
    a.mailboxNew = Add(a.mailboxMenu, "&New Mailbox...", "mailboxNew");
    a.mailboxRename = Add(a.mailboxMenu, "&Rename Mailbox...", "mailboxRename");
    a.mailboxDelete = Add(a.mailboxMenu, "&Delete Mailbox", "mailboxDelete");
    a.mailboxMenu->addSeparator();
    a.mailboxProperties = Add(a.mailboxMenu, "&Properties...", "mailboxProperties");

    a.messageMenu = bar->addMenu(QObject::tr("M&essages"));
    a.messagePlay = Add(a.messageMenu, "&Play In-Coming Message\tF9", "messagePlay");
    a.messageStop = Add(a.messageMenu, "Stop\tEsc", "messageStop");
    a.messageMenu->addSeparator();
    a.messageEmail = Add(a.messageMenu, "&Send Message by Email...\tCtrl+S", "messageEmail");
    a.messageSave = Add(a.messageMenu, "&Save Message as Wav File...\tCtrl+W", "messageSave");
    a.messageDelete = Add(a.messageMenu, "&Delete In-Coming Message(s)\tCtrl+Del", "messageDelete");

    a.helpMenu = bar->addMenu(QObject::tr("&Help"));
    a.helpContents = Add(a.helpMenu, "&Help Contents\tF1", "helpContents");
    a.linksMenu = a.helpMenu->addMenu(QObject::tr("&Links"));
    a.linksMenu->setObjectName("links");
    a.helpMenu->addSeparator();
    a.about = Add(a.helpMenu, "&About", "about");
    FillLinks(a.linksMenu);
    QObject::connect(a.linksMenu, &QMenu::aboutToShow, a.linksMenu,
                     [menu = a.linksMenu] { FillLinks(menu); });
    return a;
}

}  // namespace orvia
