// The help pages: every topic a dialog opens has its page, every link
// between the pages leads to a page that exists, and installed pages are
// found for the desktop's browser.
#include <gtest/gtest.h>

#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QUrl>
#include <filesystem>

#include "temp_dir.h"
#include "ui/framework/help.h"
#include "ui_fixtures.h"

namespace orvia::test {
namespace {

QString Page(const QString& url) {
    QFile file(QUrl(url).path().prepend(':'));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

TEST(HelpTest, EveryTopicOfThisPartHasItsPageAndEveryLinkLeadsToAPage) {
    const std::vector<int> topics = {kHelpContents, kHelpMainWindow, kHelpCallLogs, kHelpEmail,
                                     // The OGM editor, the mailbox dialog and the call-flow map.
                                     kHelpOgmList, kHelpOgmMessage, kHelpOgmKeyResponse,
                                     kHelpOgmDateTime, kHelpOgmAdvanced, kHelpOgmActions,
                                     kHelpMailboxProperties, kHelpCallFlowMap};
    for (int topic : topics) {
        const QString url = HelpPageUrl(topic);
        EXPECT_NE(url, topic == kHelpContents ? QString() : HelpPageUrl(kHelpContents)) << topic;
        const QString html = Page(url);
        ASSERT_FALSE(html.isEmpty()) << url.toStdString();
        EXPECT_TRUE(html.contains("<h1>")) << url.toStdString();
        const QRegularExpression link("href=\"([^\"#]+)\"");
        for (auto match = link.globalMatch(html); match.hasNext();) {
            const QString target = match.next().captured(1);
            const QUrl resolved = QUrl(url).resolved(QUrl(target));
            EXPECT_FALSE(Page(resolved.toString()).isEmpty())
                << url.toStdString() << " links to " << target.toStdString();
        }
    }
    // A topic without a page of its own opens the contents.
    EXPECT_EQ(HelpPageUrl(9999), HelpPageUrl(kHelpContents));
}

TEST(HelpTest, LinksInsideFollowAndOthersGoToTheDesktop) {
    RecordingHandoff handoff;
    OpenHelp(nullptr, kHelpContents);
    QTextBrowser* browser = HelpBrowser();
    ASSERT_NE(browser, nullptr);
    emit browser->anchorClicked(QUrl("call-logs.html"));
    EXPECT_EQ(browser->source().toString(), "qrc:/help/call-logs.html");
    emit browser->anchorClicked(QUrl("https://example.com/"));
    EXPECT_EQ(browser->source().toString(), "qrc:/help/call-logs.html");
    EXPECT_EQ(handoff.opened, (std::vector<std::string>{"https://example.com/"}));
    CloseHelp();
    EXPECT_EQ(HelpBrowser(), nullptr);
}

TEST(HelpTest, InstalledPagesAreTheFilesTheBrowserOpens) {
    TempDir dir;
    const std::string data = dir.Path();
    std::filesystem::create_directories(data + "help");
    ASSERT_TRUE(WriteFile(data + "help/call-logs.html", "<h1>Call logs</h1>"));
    EXPECT_EQ(InstalledHelpFile(data, QUrl("qrc:/help/call-logs.html")),
              QString::fromStdString(data + "help/call-logs.html"));
    EXPECT_EQ(InstalledHelpFile(data, QUrl("qrc:/help/index.html")), "");  // not installed
    EXPECT_EQ(InstalledHelpFile("", QUrl("qrc:/help/call-logs.html")), "");
    EXPECT_EQ(InstalledHelpFile(data, QUrl("https://example.com/help/call-logs.html")), "");
    EXPECT_EQ(InstalledHelpFile(data, QUrl("qrc:/icons/call-logs.html")), "");

    // Run from the build folder the program has no installed pages: the
    // window offers no browser.
    OpenHelp(nullptr, kHelpContents);
    QWidget* window = HelpBrowser()->window();
    auto* inBrowser = window->findChild<QPushButton*>("helpOpenInBrowser");
    ASSERT_NE(inBrowser, nullptr);
    EXPECT_FALSE(inBrowser->isVisibleTo(window));
    CloseHelp();
}

}  // namespace
}  // namespace orvia::test
