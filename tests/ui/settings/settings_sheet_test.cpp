// The settings sheet through its controls: what each page writes and when,
// the start-up registration, the line list, the AutoHours times, end-of-call
// detection and the compression format with its refusals.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include "audio/codec/format_choice.h"
#include "audio/codec/standard_formats.h"
#include "settings_fixtures.h"
#include "store/profile_values.h"
#include "store/settings_store.h"
#include "ui/format/format_chooser.h"
#include "ui/settings/auto_hours_page.h"
#include "ui/settings/db_edit.h"
#include "ui/settings/devices_page.h"
#include "ui/settings/email_page.h"
#include "ui/settings/general_page.h"
#include "ui/settings/line_properties_dialog.h"
#include "ui/settings/settings_sheet.h"
#include "ui/settings/transfer_page.h"

namespace orvia::test {
namespace {

class SettingsSheetTest : public SettingsTest {
protected:
    // A sheet over the test's start-up registration; chooser replaces the
    // format chooser when given.
    std::unique_ptr<SettingsSheet> Sheet(FormatChooser chooser = {}) {
        SettingsServices services;
        services.startup = &startup_;
        services.chooseFormat = std::move(chooser);
        auto sheet = std::make_unique<SettingsSheet>(nullptr, services);
        sheet->ShowPage(0);
        sheet->show();
        return sheet;
    }
    // Leaves the current page for another, as a click on its tab does.
    static void Leave(SettingsSheet& sheet, int toPage) { sheet.Tabs()->setCurrentIndex(toPage); }
};

TEST_F(SettingsSheetTest, GeneralPageWritesItsKeysWhenLeftAndAsTyped) {
    Set("settings", "nrings", "4");
    Set("settings", "audiogain", "-3dB");
    auto sheet = Sheet();
    LGeneralPage& page = *sheet->GeneralPage();
    EXPECT_EQ(page.RingCount()->text(), "4");
    EXPECT_TRUE(page.FixedRings()->isChecked());
    EXPECT_EQ(page.Gain()->Value(), -3);
    EXPECT_EQ(page.Gain()->text(), "-3dB");

    page.RingCount()->clear();
    QTest::keyClicks(page.RingCount(), "2x5");  // digits only, no range check
    QTest::mouseClick(page.TollSaver(), Qt::LeftButton);
    EXPECT_FALSE(page.RingCount()->isEnabled());
    page.HighPass()->setText("2500");
    page.Gain()->SetValue(20);  // limited to +8
    page.Compressor()->SetValue(-6);
    QTest::mouseClick(page.CallerIdFlash(), Qt::LeftButton);
    EXPECT_EQ(Setting("settings", "tollsaver"), "(missing)");  // nothing before leaving

    Leave(*sheet, SettingsSheet::Devices);
    EXPECT_EQ(Setting("settings", "nrings"), "25");
    EXPECT_EQ(Setting("settings", "tollsaver"), "true");
    EXPECT_EQ(Setting("settings", "audiohighpass"), "2500");
    EXPECT_EQ(Setting("settings", "audiogain"), "8dB");
    EXPECT_EQ(Setting("settings", "audiocompressorthres"), "-6dB");
    EXPECT_EQ(Setting("settings", "cidflash"), "false");
    EXPECT_EQ(Setting("settings", "openwindow"), "true");

    // Cancel after leaving the page keeps what was written; the pages never
    // shown wrote nothing.
    sheet->reject();
    EXPECT_EQ(Setting("settings", "tollsaver"), "true");
    EXPECT_EQ(ReadProfileSection(data_.Settings(), "autohours").size(), 0u);
    EXPECT_EQ(ReadProfileSection(data_.Settings(), "transfer").size(), 0u);
    EXPECT_EQ(ReadProfileSection(data_.Settings(), "smtp").size(), 0u);
}

TEST_F(SettingsSheetTest, StartAtLogonAndServiceAreRegisteredOnlyWhenTheyChange) {
    auto sheet = Sheet();
    LGeneralPage& page = *sheet->GeneralPage();
    EXPECT_FALSE(page.RunAtLogon()->isChecked());
    EXPECT_FALSE(page.RunAsService()->isEnabled());  // only with start at logon

    QTest::mouseClick(page.RunAtLogon(), Qt::LeftButton);
    ASSERT_TRUE(page.RunAsService()->isEnabled());
    QTest::mouseClick(page.RunAsService(), Qt::LeftButton);
    Leave(*sheet, SettingsSheet::Devices);
    EXPECT_TRUE(startup_.IsRunAtLogon());
    EXPECT_TRUE(startup_.IsService());
    EXPECT_EQ(systemctl_.commands,
              (std::vector<std::string>{"systemctl --user daemon-reload",
                                        "systemctl --user enable orvia.service"}));

    // Leaving again without a change runs nothing.
    Leave(*sheet, SettingsSheet::General);
    Leave(*sheet, SettingsSheet::Devices);
    EXPECT_EQ(systemctl_.commands.size(), 2u);

    // Start at logon off removes both.
    Leave(*sheet, SettingsSheet::General);
    QTest::mouseClick(page.RunAtLogon(), Qt::LeftButton);
    Leave(*sheet, SettingsSheet::Devices);
    EXPECT_FALSE(startup_.IsRunAtLogon());
    EXPECT_FALSE(startup_.IsService());
}

TEST_F(SettingsSheetTest, AServiceSystemdRefusesIsReportedAndLeftUnregistered) {
    systemctl_.works = false;
    auto sheet = Sheet();
    LGeneralPage& page = *sheet->GeneralPage();
    QTest::mouseClick(page.RunAtLogon(), Qt::LeftButton);
    QTest::mouseClick(page.RunAsService(), Qt::LeftButton);
    questions_.QueueAnswer(Answer::Ok);
    Leave(*sheet, SettingsSheet::Devices);
    ASSERT_EQ(questions_.asked.size(), 1u);
    EXPECT_EQ(questions_.asked[0].caption, "Orvia");
    EXPECT_TRUE(questions_.asked[0].text.contains("Administrator Access is required"));
    EXPECT_FALSE(startup_.IsService());
    EXPECT_TRUE(startup_.IsRunAtLogon());
    // The page was left all the same.
    EXPECT_EQ(sheet->Tabs()->currentIndex(), SettingsSheet::Devices);
}

TEST_F(SettingsSheetTest, DevicesPageListsTheLinesAndAddsRemovesAndEditsThem) {
    Telephony("[desk]\ntype=simulated\nname=Front Desk\n[modem]\ntype=simulated\nvoice=false\n");
    Set("line0", "use", "true");
    Set("line0", "name", "Reception");
    Set("line2", "use", "true");
    Set("line2", "device", "7");
    auto sheet = Sheet();
    sheet->ShowPage(SettingsSheet::Devices);
    LSetDevicesPage& page = *sheet->DevicesPage();
    ASSERT_EQ(page.Lines()->count(), 2);
    EXPECT_EQ(page.Lines()->item(0)->text(), "Reception [Front Desk]");
    EXPECT_EQ(page.Lines()->item(1)->text(), "line2 [no device 7]");
    EXPECT_TRUE(page.RemoveButton()->isEnabled());

    // Add: the lowest free section, written when the line dialog says OK.
    questions_.QueueDialog([](QDialog& dialog) {
        auto& line = static_cast<LinePropertiesDlg&>(dialog);
        EXPECT_EQ(line.Name()->text(), "Line 2");  // line1: index 1
        EXPECT_EQ(line.Device()->count(), 2);
        line.Device()->setCurrentIndex(0);
        line.accept();
    });
    QTest::mouseClick(page.AddButton(), Qt::LeftButton);
    EXPECT_EQ(Setting("line1", "use"), "true");
    EXPECT_EQ(Setting("line1", "device"), "0");
    EXPECT_EQ(Setting("state", "restart"), "true");
    ASSERT_EQ(page.Lines()->count(), 3);
    EXPECT_EQ(page.Lines()->item(1)->text(), "Line 2 [Front Desk]");

    // Remove asks first; No keeps the line.
    Set("state", "restart", "false");
    page.Lines()->setCurrentRow(2);
    questions_.QueueAnswer(Answer::No);
    QTest::mouseClick(page.RemoveButton(), Qt::LeftButton);
    EXPECT_EQ(Setting("line2", "use"), "true");
    EXPECT_EQ(Setting("state", "restart"), "false");
    questions_.QueueAnswer(Answer::Yes);
    QTest::mouseClick(page.RemoveButton(), Qt::LeftButton);
    EXPECT_EQ(questions_.asked.back().caption, "Confirm Remove");
    EXPECT_EQ(Setting("line2", "use"), "false");
    EXPECT_EQ(Setting("state", "restart"), "true");
    EXPECT_EQ(page.Lines()->count(), 2);

    // Properties: Cancel changes nothing, OK marks a restart.
    Set("state", "restart", "false");
    page.Lines()->setCurrentRow(1);
    questions_.QueueDialog([](QDialog& dialog) { dialog.reject(); });
    QTest::mouseClick(page.PropertiesButton(), Qt::LeftButton);
    EXPECT_EQ(Setting("state", "restart"), "false");
    questions_.QueueDialog([](QDialog& dialog) {
        auto& line = static_cast<LinePropertiesDlg&>(dialog);
        line.Name()->setText("Back Office");
        line.accept();
    });
    QTest::mouseClick(page.PropertiesButton(), Qt::LeftButton);
    EXPECT_EQ(Setting("line1", "name"), "Back Office");
    EXPECT_EQ(Setting("state", "restart"), "true");
    EXPECT_EQ(page.Lines()->currentRow(), 1);
}

TEST_F(SettingsSheetTest, AddDoesNothingWhenEverySectionIsInUse) {
    std::string text;
    for (int index = 0; index < 64; ++index)
        text += "[line" + std::to_string(index) + "]\nuse=true\n";
    ASSERT_TRUE(WriteFile(data_.Settings(), text));
    auto sheet = Sheet();
    sheet->ShowPage(SettingsSheet::Devices);
    QTest::mouseClick(sheet->DevicesPage()->AddButton(), Qt::LeftButton);
    EXPECT_TRUE(questions_.dialogsRun.empty());
    EXPECT_EQ(Setting("state", "restart"), "(missing)");
}

TEST_F(SettingsSheetTest, DevicesPageWritesSoundDevicesLevelsAndFaxHandling) {
    Set("settings", "fax", "true");
    Set("settings", "faxdial", "*9");
    auto sheet = Sheet();
    sheet->ShowPage(SettingsSheet::Devices);
    LSetDevicesPage& page = *sheet->DevicesPage();
    EXPECT_TRUE(page.FaxDial()->isChecked());
    EXPECT_TRUE(page.FaxDigits()->isEnabled());
    EXPECT_EQ(page.FaxDigits()->text(), "*9");
    QTest::mouseClick(page.FaxHandoff(), Qt::LeftButton, {}, QPoint(6, 6));
    EXPECT_FALSE(page.FaxDigits()->isEnabled());
    page.PlayVolume()->SetValue(-40);  // limited to -36
    page.AnnounceVolume()->SetValue(6);
    Leave(*sheet, SettingsSheet::AutoHours);
    EXPECT_EQ(Setting("settings", "fax"), "false");
    EXPECT_EQ(Setting("settings", "faxdial"), "*9");
    EXPECT_EQ(Setting("settings", "playvolume"), "-36dB");
    EXPECT_EQ(Setting("settings", "announcevolume"), "6dB");
    // No sound device in this process: no position is selected.
    EXPECT_EQ(Setting("settings", "playdevice"), "-1");
}

TEST_F(SettingsSheetTest, AutoHoursTakesTimesAsPeopleTypeThem) {
    data_.Ogm("Default Answering Message");
    data_.Ogm("Out of Hours Message");
    data_.Ogm("Menu", "false");  // does not answer calls: not listed
    Set("autohours", "afterogm", "Out of");
    auto sheet = Sheet();
    sheet->ShowPage(SettingsSheet::AutoHours);
    LAutoHoursPage& page = *sheet->AutoHoursPage();
    EXPECT_EQ(page.Time(LAutoHoursPage::WeekdayOpen)->text(), "09:00:00");
    EXPECT_EQ(page.Time(LAutoHoursPage::WeekdayClose)->text(), "17:00:00");
    EXPECT_FALSE(page.Time(LAutoHoursPage::SatOpen)->isEnabled());  // AutoHours off
    EXPECT_EQ(page.AfterOgm()->count(), 2);
    EXPECT_EQ(page.AfterOgm()->currentText(), "Out of Hours Message");  // by prefix
    EXPECT_TRUE(page.DuringMode(2)->isChecked());
    EXPECT_TRUE(page.AfterMode(0)->isChecked());

    QTest::mouseClick(page.Enabled(), Qt::LeftButton);
    EXPECT_FALSE(page.AfterOgm()->isEnabled());
    QTest::mouseClick(page.AfterMode(1), Qt::LeftButton);
    EXPECT_TRUE(page.AfterOgm()->isEnabled());
    struct Case {
        LAutoHoursPage::TimeEdit edit;
        const char* typed;
        const char* key;
        int32_t seconds;
    };
    const Case cases[] = {{LAutoHoursPage::WeekdayOpen, "9am", "weekdayopen", 32400},
                          {LAutoHoursPage::WeekdayClose, "17:30", "weekdayclose", 63000},
                          {LAutoHoursPage::SatOpen, "10", "satopen", 36000},
                          {LAutoHoursPage::SatClose, "9pm", "satclose", 75600},
                          {LAutoHoursPage::SunClose, "12:15am", "sunclose", 900}};
    for (const Case& c : cases) {
        page.Time(c.edit)->clear();
        QTest::keyClicks(page.Time(c.edit), c.typed);
    }
    Leave(*sheet, SettingsSheet::TransferRecord);
    for (const Case& c : cases) {
        EXPECT_EQ(ReadProfileTimeOfDay(data_.Settings(), "autohours", c.key, -1), c.seconds)
            << c.typed;
    }
    EXPECT_EQ(Setting("autohours", "satclose"), "21:00:00");
    EXPECT_EQ(Setting("autohours", "enabled"), "true");
    EXPECT_EQ(Setting("autohours", "aftermode"), "1");
    EXPECT_EQ(Setting("autohours", "afterogm"), "Out of Hours Message");
    EXPECT_EQ(Setting("autohours", "duringmode"), "2");
    // The next time the sheet shows them in its own form.
    SettingsSheet again(nullptr, SettingsServices{&startup_, {}});
    again.ShowPage(SettingsSheet::AutoHours);
    EXPECT_EQ(again.AutoHoursPage()->Time(LAutoHoursPage::WeekdayClose)->text(), "17:30:00");
}

TEST_F(SettingsSheetTest, EndOfCallDetectionAsksForARestartOnlyWhenItChanges) {
    auto sheet = Sheet();
    sheet->ShowPage(SettingsSheet::TransferRecord);
    LTransferPage& page = *sheet->TransferPage();
    EXPECT_TRUE(page.DetectEndOfCall()->isChecked());
    EXPECT_EQ(page.MaxRecordTime()->text(), "0:00:30.000");
    EXPECT_EQ(page.TransferEdit("blindprefix")->text(), "!,");
    page.MaxRecordTime()->setText("1:00");
    page.TransferEdit("confirmedcomplete")->setText("#1");
    page.DeleteDays()->clear();
    QTest::keyClicks(page.DeleteDays(), "-5x");
    Leave(*sheet, SettingsSheet::Email);
    EXPECT_EQ(ReadProfileDuration(data_.Settings(), "settings", "maxrectime", 0), 600000);
    EXPECT_EQ(Setting("transfer", "confirmedcomplete"), "#1");
    EXPECT_EQ(Setting("transfer", "blindprefix"), "!,");
    EXPECT_EQ(Setting("settings", "deletefiledays"), "-5");
    EXPECT_EQ(Setting("settings", "recthres"), "-20dB");
    EXPECT_EQ(Setting("settings", "detectendofcall"), "(missing)");
    EXPECT_EQ(Setting("state", "restart"), "(missing)");

    Leave(*sheet, SettingsSheet::TransferRecord);
    QTest::mouseClick(page.DetectEndOfCall(), Qt::LeftButton);
    Leave(*sheet, SettingsSheet::Email);
    EXPECT_EQ(Setting("settings", "detectendofcall"), "false");
    EXPECT_EQ(Setting("state", "restart"), "true");

    // Left again unchanged: no new restart.
    Set("state", "restart", "false");
    Leave(*sheet, SettingsSheet::TransferRecord);
    Leave(*sheet, SettingsSheet::Email);
    EXPECT_EQ(Setting("state", "restart"), "false");
}

TEST_F(SettingsSheetTest, TheCompressionFormatRefusesStereoAndMpegLayer3) {
    const std::string wff = FormatChoicePath(data_.Settings());
    ASSERT_TRUE(WriteFormatChoice(wff, ImaAdpcmFormat(1, 8000)));
    const std::string before = ReadFile(wff);
    WaveFormat offered;
    WaveFormat shown;
    auto sheet = Sheet([&](QWidget*, WaveFormat* format) {
        shown = *format;
        *format = offered;
        return true;
    });
    sheet->ShowPage(SettingsSheet::TransferRecord);
    QPushButton* button = sheet->TransferPage()->CompressionButton();

    struct Case {
        WaveFormat format;
        const char* caption;
    };
    WaveFormat mp3 = MuLawFormat(1, 8000);
    mp3.formatTag = kWaveFormatMpegLayer3;
    const Case refused[] = {{mp3, "CODEC Defective"}, {ALawFormat(2, 8000), "Stereo Format Error"}};
    for (const Case& c : refused) {
        offered = c.format;
        questions_.QueueAnswer(Answer::Ok);
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(questions_.asked.back().caption, c.caption);
        EXPECT_EQ(ReadFile(wff), before);
    }
    EXPECT_EQ(shown, ImaAdpcmFormat(1, 8000));  // the chooser starts from the file

    // A mono format is saved at once, whatever the sheet does next.
    offered = Gsm610Format(8000);
    QTest::mouseClick(button, Qt::LeftButton);
    sheet->reject();
    EXPECT_EQ(ReadFormatChoice(wff), Gsm610Format(8000));
    EXPECT_EQ(ReadFile(wff).size(), kFormatChoiceFileBytes);
}

TEST_F(SettingsSheetTest, TheChooserListsTheEncodableFormatsAndKeepsTheFileOnCancel) {
    const std::string wff = FormatChoicePath(data_.Settings());
    auto sheet = Sheet();  // the real chooser
    sheet->ShowPage(SettingsSheet::TransferRecord);
    questions_.QueueDialog([](QDialog& dialog) {
        auto& chooser = static_cast<FormatChooserDialog&>(dialog);
        EXPECT_EQ(chooser.windowTitle(), "Select Wave File Format");
        // No file: 8-bit PCM, 8000 Hz, mono.
        EXPECT_EQ(chooser.Formats()->currentText(), "PCM");
        EXPECT_EQ(chooser.Attributes()->currentText(), "8000 Hz, 8 bit, mono, 8000 bytes/s");
        EXPECT_EQ(chooser.Formats()->count(), 6);
        chooser.Formats()->setCurrentIndex(chooser.Formats()->findText("GSM 6.10"));
        EXPECT_EQ(chooser.Attributes()->count(), 5);  // mono only, five rates
        dialog.reject();
    });
    QTest::mouseClick(sheet->TransferPage()->CompressionButton(), Qt::LeftButton);
    EXPECT_FALSE(FileExists(wff));

    questions_.QueueDialog([](QDialog& dialog) {
        auto& chooser = static_cast<FormatChooserDialog&>(dialog);
        chooser.Formats()->setCurrentIndex(chooser.Formats()->findText("IMA ADPCM"));
        chooser.Attributes()->setCurrentIndex(
            chooser.Attributes()->findText("11025 Hz, 4 bit, stereo", Qt::MatchStartsWith));
        dialog.accept();
    });
    questions_.QueueAnswer(Answer::Ok);
    QTest::mouseClick(sheet->TransferPage()->CompressionButton(), Qt::LeftButton);
    EXPECT_EQ(questions_.asked.back().caption, "Stereo Format Error");
    EXPECT_FALSE(FileExists(wff));
}

TEST_F(SettingsSheetTest, AFormatTheCodecsCannotWriteIsShownButRefused) {
    WaveFormat mp3 = MuLawFormat(1, 8000);
    mp3.formatTag = kWaveFormatMpegLayer3;
    FormatChooserDialog chooser(nullptr, mp3);
    chooser.Prepare();
    chooser.show();
    EXPECT_EQ(chooser.Formats()->currentText(), "MPEG Layer-3");
    questions_.QueueAnswer(Answer::Ok);
    chooser.accept();
    ASSERT_EQ(questions_.asked.size(), 1u);
    EXPECT_EQ(questions_.asked[0].caption, "Format Not Available");
    EXPECT_TRUE(chooser.isVisible());  // the chooser again
    chooser.Formats()->setCurrentIndex(chooser.Formats()->findText("mu-law (G.711)"));
    chooser.accept();
    EXPECT_FALSE(chooser.isVisible());
    EXPECT_EQ(chooser.Chosen(), MuLawFormat(1, 8000));
}

TEST_F(SettingsSheetTest, EmailPageWritesTheSmtpSectionWithTheirPasswordMasked) {
    Set("smtp", "server", "mail.example.com:587");
    Set("smtp", "security", "TLS");
    auto sheet = Sheet();
    sheet->ShowPage(SettingsSheet::Email);
    LEmailPage& page = *sheet->EmailPage();
    EXPECT_EQ(page.Server()->text(), "mail.example.com:587");
    EXPECT_EQ(page.Security()->currentIndex(), 1);
    EXPECT_EQ(page.Password()->echoMode(), QLineEdit::Password);
    page.Security()->setCurrentIndex(2);
    page.User()->setText(" phone@example.com ");
    page.Password()->setText("s3 cret");
    page.From()->setText("phone@example.com");
    sheet->accept();
    EXPECT_EQ(Setting("smtp", "security"), "none");
    EXPECT_EQ(Setting("smtp", "user"), "phone@example.com");
    EXPECT_EQ(Setting("smtp", "from"), "phone@example.com");
    EXPECT_EQ(Setting("smtp", "password"), "s3 cret");
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
}

}  // namespace
}  // namespace orvia::test
