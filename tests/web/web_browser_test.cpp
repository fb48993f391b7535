// The web view of the running program in a real browser: headless Chromium
// signs in through the form and shows a fixture mailbox's messages (its DOM
// checked here), and a screenshot of the phone-width page goes to
// build/screenshots/. One browser profile for the whole run.
#include <gtest/gtest.h>

#include <cstdlib>

#include "audio/codec/standard_formats.h"
#include "audio/file_conversion.h"
#include "audio/wave_source.h"
#include "platform/files/text_file.h"
#include "platform/process/process_child.h"
#include "platform/time/clock.h"
#include "program_runner.h"
#include "store/encodings.h"
#include "store/profile.h"

namespace orvia::test {
namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class WebBrowserTest : public ProgramFolderTest {
protected:
    void Message(int number, double seconds, bool gsm, const std::string& cid,
                 const std::string& name, bool read, const LocalFields& when) {
        char digits[16];
        std::snprintf(digits, sizeof digits, " ICM%.6d", number);
        const std::string base = store_.MailBoxes() + "Sales" + digits;
        ASSERT_TRUE(WriteTone(base + ".wav", static_cast<int>(seconds * 1000)));
        if (gsm) {
            ASSERT_TRUE(WriteConvertedFile(OpenWaveSource(base + ".wav"), Gsm610Format(8000),
                                           base + ".wav"));
        }
        ASSERT_TRUE(WriteProfileKeys(base + ".ini", "message",
                                     {{"read", read ? "true" : "false"},
                                      {"datetime", FormatDateTime(MakeLocalSeconds(when))},
                                      {"cid", cid},
                                      {"cidname", name}}));
    }
};

TEST_F(WebBrowserTest, ChromiumSignsInAndShowsTheMessageListOnAPhone) {
    ASSERT_TRUE(WriteFile(store_.MailBoxes() + "Sales.mbx", "[mbx]\nmsgno=3\n"));
    Message(0, 12.0, false, "5551234", "Jane Doe", true, {2024, 1, 15, 10, 0, 7});
    Message(1, 42.0, true, "5559876", "Bob <b>Builder</b>", false, {2024, 3, 2, 16, 45, 0});
    Message(2, 5.0, false, "", "", false, {2024, 3, 3, 8, 5, 9});
    ASSERT_TRUE(
        WriteProfileKeys(store_.SettingsFile(), "web",
                         {{"enabled", "true"}, {"listen", "127.0.0.1:0"}, {"mailboxes", "Sales"}}));

    const char* source = std::getenv("ORVIA_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    const std::string shots = std::string(source) + "/build/screenshots/";
    ASSERT_TRUE(MakeFolders(shots));
    const std::string screenshot = shots + "web-mailbox-phone.png";
    std::remove(screenshot.c_str());

    ChildProcess check;
    ASSERT_EQ(check.Start({"/usr/bin/python3", ORVIA_WEB_TEST_DIR "/browser_check.py",
                           ORVIA_PROGRAM, dir_.Path(), screenshot}),
              ProcessStartResult::Started);
    const std::string said = check.ReadOutput(1 << 20, 240000).data;
    int status = -1;
    ASSERT_TRUE(check.WaitForExit(60000, &status));
    ASSERT_EQ(status, 0) << said;

    // Over DevTools, in the German locale: the script ran (under the strict
    // policy) and wrote the dates the browser's way.
    const std::string page = ReadFile(dir_.Path() + "mailbox-devtools.html");
    EXPECT_TRUE(Contains(page, "<h1>Sales</h1>")) << page;
    EXPECT_TRUE(Contains(page, "3 messages, 2 new")) << page;
    EXPECT_TRUE(Contains(page, "15.01.2024, 10:00")) << page;
    EXPECT_TRUE(Contains(page, "02.03.2024, 16:45")) << page;
    // The plain --dump-dom of the same page with the session of that profile.
    const std::string dump = ReadFile(dir_.Path() + "mailbox-dump.html");
    for (const char* text :
         {"5551234", "Jane Doe", "5559876", "Bob &lt;b&gt;Builder&lt;/b&gt;", "Unknown caller",
          "0:12", "0:42", "0:05", "Mark read", "Delete", "Download"})
        EXPECT_TRUE(Contains(dump, text)) << text << "\n" << dump;
    EXPECT_FALSE(Contains(dump, "<b>Builder"));
    EXPECT_TRUE(Contains(dump, "000001.mp3")) << dump;
    // Newest first, as on the desktop.
    EXPECT_LT(dump.find("id=\"m000002\""), dump.find("id=\"m000001\""));
    EXPECT_LT(dump.find("id=\"m000001\""), dump.find("id=\"m000000\""));

    const std::string png = ReadFile(screenshot);
    ASSERT_GT(png.size(), 1000u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
}

}  // namespace
}  // namespace orvia::test
