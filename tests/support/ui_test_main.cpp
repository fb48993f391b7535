// The widget tests' main: one QApplication on the offscreen platform for the
// whole run (Qt allows one per process), then the tests.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "ui/framework/pictures.h"

namespace {

// The offscreen platform says so for every window move it cannot do; the
// rest of Qt's messages stay.
QtMessageHandler g_standard = nullptr;

void QuietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.startsWith("This plugin does not support"))
        return;
    g_standard(type, context, text);
}

}  // namespace

int main(int argc, char** argv) {
    // Also while CTest lists the tests at build time: no display is needed.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    g_standard = qInstallMessageHandler(QuietOffscreen);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    orvia::InitUiResources();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
