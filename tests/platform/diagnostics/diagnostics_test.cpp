#include "platform/diagnostics/diagnostics.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "diagnostics_capture.h"

namespace orvia {
namespace {

TEST(DiagnosticsTest, EventsReachTheInstalledSinkAsOneLineEach) {
    DiagnosticsCapture capture;
    ReportError("sip", "Line 1: the listen address is in use\r\nsecond line");
    ReportInfo("line", "Line 2 answered");

    const std::vector<DiagnosticEvent> events = capture.Events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].level, DiagnosticLevel::Error);
    EXPECT_EQ(events[0].subsystem, "sip");
    EXPECT_EQ(events[0].text, "Line 1: the listen address is in use  second line");
    EXPECT_EQ(FormatDiagnostic(events[1]), "info [line] Line 2 answered");
}

TEST(DiagnosticsTest, RegisteredSecretsAreMaskedEverywhereInTheText) {
    DiagnosticsCapture capture;
    RegisterSecret("hunter2");
    RegisterSecret("hunter2extra");  // contains the other: masked whole
    RegisterSecret("");              // ignored, would otherwise match everywhere
    ReportWarning("delivery", "login hunter2 failed; hunter2extra and hunter2 again");

    const std::string text = capture.AllText();
    EXPECT_EQ(text.find("hunter2"), std::string::npos) << text;
    EXPECT_NE(text.find("login **** failed; **** and **** again"), std::string::npos) << text;
}

TEST(DiagnosticsTest, SinksRemovedAtTheEndOfTheirScopeAndSafeAcrossThreads) {
    DiagnosticsCapture outer;
    {
        DiagnosticsCapture inner;
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([] {
                for (int i = 0; i < 100; ++i)
                    ReportInfo("test", "event");
            });
        }
        for (std::thread& thread : threads)
            thread.join();
        EXPECT_EQ(inner.Events().size(), 400u);
    }
    ReportInfo("test", "after");
    EXPECT_EQ(outer.Events().size(), 401u);
}

}  // namespace
}  // namespace orvia
