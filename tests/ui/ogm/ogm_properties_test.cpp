// The "OGM Properties" sheet through its controls: what each page shows for
// an empty definition and for stored values, the keys OK and Apply write,
// Cancel writing nothing, the mode and enable rules of the Key Response
// page, the action lists and the date and time fields.
#include "ui/ogm/ogm_properties.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include "engine/ogm_files.h"
#include "ogm_fixtures.h"
#include "store/profile.h"
#include "ui/ogm/action_choice.h"
#include "ui/ogm/ogm_advanced_page.h"
#include "ui/ogm/ogm_date_time_page.h"
#include "ui/ogm/ogm_key_response_page.h"
#include "ui/ogm/ogm_message_page.h"

namespace orvia::test {
namespace {

class OgmPropertiesTest : public OgmEditorTest {
protected:
    // Shows every page of the sheet (so each is loaded), then presses the
    // button.
    static void VisitAllAndPress(OgmPropertiesSheet& sheet,
                                 QDialogButtonBox::StandardButton button) {
        for (int page = 0; page < sheet.Tabs()->count(); ++page)
            sheet.Tabs()->setCurrentIndex(page);
        QTest::mouseClick(sheet.Buttons()->button(button), Qt::LeftButton);
    }
    static QString Shown(QComboBox* combo) { return combo->currentText(); }
    static std::vector<QString> Entries(QComboBox* combo) {
        std::vector<QString> entries;
        for (int i = 0; i < combo->count(); ++i)
            entries.push_back(combo->itemText(i));
        return entries;
    }
};

TEST_F(OgmPropertiesTest, AnEmptyDefinitionShowsTheDefaultsAndOkWritesThem) {
    OgmPropertiesSheet sheet(nullptr, "Fresh", services_);
    EXPECT_EQ(sheet.windowTitle(), "OGM Properties");
    ASSERT_EQ(sheet.Tabs()->count(), 4);
    EXPECT_EQ(sheet.Tabs()->tabText(0), "Message");
    EXPECT_EQ(sheet.Tabs()->tabText(1), "Key Response");
    EXPECT_EQ(sheet.Tabs()->tabText(2), "Date-Time/CID");
    EXPECT_EQ(sheet.Tabs()->tabText(3), "Advanced");
    EXPECT_NE(sheet.Buttons()->button(QDialogButtonBox::Apply), nullptr);

    questions_.QueueDialog([&](QDialog&) {
        EXPECT_EQ(sheet.Tabs()->currentIndex(), 0);
        OgmMessagePage& m = *sheet.Message();
        EXPECT_EQ(m.WaitEdit()->text(), "6");
        EXPECT_EQ(m.RepeatEdit()->text(), "0");
        EXPECT_EQ(Shown(m.ThenChoice()), "Hang-up (Immediate)");
        EXPECT_FALSE(m.ThenDetails()->isEnabled());
        EXPECT_TRUE(m.NotesEdit()->toPlainText().isEmpty());
        EXPECT_TRUE(m.AnswerCheck()->isChecked());
        EXPECT_TRUE(m.RecordingLabel()->text().startsWith("No recording"));

        sheet.Tabs()->setCurrentIndex(1);
        OgmKeyResponsePage& k = *sheet.KeyResponse();
        EXPECT_TRUE(k.MenuMode()->isChecked());
        for (int key = 0; key < OgmKeyResponsePage::kKeys; ++key)
            EXPECT_EQ(Shown(k.KeyAction(key)), "No Response") << key;
        EXPECT_EQ(k.VariableName()->text(), "number");
        EXPECT_EQ(k.MaximumDigits()->text(), "4");
        EXPECT_FALSE(k.LimitRange()->isChecked());
        EXPECT_EQ(k.Minimum()->text(), "0");
        EXPECT_EQ(k.Maximum()->text(), "10000");
        EXPECT_FALSE(k.LimitList()->isChecked());
        EXPECT_TRUE(k.Inclusive()->isChecked());
        EXPECT_TRUE(k.ShortList()->isChecked());

        sheet.Tabs()->setCurrentIndex(2);
        OgmDateTimePage& d = *sheet.DateTime();
        EXPECT_FALSE(d.UseDateTime()->isChecked());
        EXPECT_EQ(d.CommenceDate()->text(), "IMMEDIATE");
        EXPECT_EQ(d.ExpireDate()->text(), "NEVER");
        EXPECT_EQ(d.DayFrom()->text(), "00:00:00");
        EXPECT_EQ(d.DayTo()->text(), "24:00:00");
        for (int day = 0; day < 7; ++day)
            EXPECT_TRUE(d.Day(day)->isChecked()) << day;
        EXPECT_TRUE(d.SkipOnFail()->isChecked());
        EXPECT_FALSE(d.UseCallerId()->isChecked());
        EXPECT_EQ(Shown(d.CallerIdScan()), "starts with");
        EXPECT_TRUE(d.SkipOnCallerId()->isChecked());

        sheet.Tabs()->setCurrentIndex(3);
        OgmAdvancedPage& a = *sheet.Advanced();
        EXPECT_FALSE(a.PlayExternal()->isChecked());
        EXPECT_EQ(a.PlayExternalFile()->text().toStdString(), OgmFile("Fresh", ".wav"));
        EXPECT_EQ(a.LogLine()->text(), "%date%,%time%,%linename%,%cid%");
        EXPECT_FALSE(a.PlayExternalFile()->isEnabled());
        QTest::mouseClick(sheet.Buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    });
    EXPECT_TRUE(sheet.Run());

    const std::pair<std::pair<const char*, const char*>, std::string> written[] = {
        {{"ivr", "wait"}, "6"},
        {{"ivr", "repeat"}, "0"},
        {{"ivr", "playcomplete"}, "hangup"},
        {{"ivr", "answer"}, "true"},
        {{"ivr", "type"}, "menu"},
        {{"ivr", "press1"}, "noresponse"},
        {{"ivr", "press#"}, "noresponse"},
        {{"ivr", "varname"}, "number"},
        {{"ivr", "maxdigits"}, "4"},
        {{"ivr", "varlimit"}, "false"},
        {{"ivr", "varlimitmin"}, "0"},
        {{"ivr", "varlimitmax"}, "10000"},
        {{"ivr", "varlimitlistenabled"}, "false"},
        {{"ivr", "varlimitlistexclude"}, "false"},
        {{"ivr", "varlimitlistisfile"}, "false"},
        {{"ivr", "varlimitlist"}, ""},
        {{"datetime", "enabled"}, "false"},
        {{"datetime", "commence"}, "IMMEDIATE"},
        {{"datetime", "expire"}, "NEVER"},
        {{"datetime", "todstart"}, "00:00:00"},
        {{"datetime", "todend"}, "24:00:00"},
        {{"datetime", "weekdays"}, "127"},
        {{"datetime", "failmode"}, "1"},
        {{"datetime", "failogm"}, ""},
        {{"cid", "enabled"}, "false"},
        {{"cid", "cidscanmode"}, "0"},
        {{"cid", "mode"}, "1"},
        {{"ivr", "playex"}, "false"},
        {{"ivr", "playexfile"}, OgmFile("Fresh", ".wav")},
        {{"ivr", "log"}, "false"},
        {{"ivr", "logline"}, "%date%,%time%,%linename%,%cid%"},
        {{"ivr", "announcecall"}, "false"},
        {{"ivr", "open"}, "false"},
        {{"ivr", "openplugin"}, "false"},
    };
    for (const auto& [where, value] : written)
        EXPECT_EQ(Key("Fresh", where.first, where.second), value)
            << where.first << "/" << where.second;
    // An untouched, empty text makes no notes file.
    EXPECT_FALSE(FileExists(OgmFile("Fresh", ".txt")));
}

TEST_F(OgmPropertiesTest, StoredValuesAreShownAndWrittenBackAsTheyWere) {
    data_.Ogm("Menu");
    const char* stored =
        "[ivr]\nwait=12\nrepeat=2\nplaycomplete=mailbox\ntype=EnterNumber\npress3=go\n"
        "press#=transferconfirmed\npress*=Repeat\nanswer=false\nvarname=pin\nmaxdigits=6\n"
        "varlimit=true\nvarlimitmin=-5\nvarlimitmax=500\nvarlimitlistenabled=true\n"
        "varlimitlistexclude=true\nvarlimitlistisfile=true\nvarlimitlist=12, 345\n"
        "varlimitlistfile=/srv/pins.txt\nplayex=true\nplayexfile=/srv/x.mp3\nlog=true\n"
        "logname=Orders\nlogline=%cid%\nannouncecall=true\nannounceplay=/srv/ring.wav\n"
        "open=true\nopenfile=/usr/bin/lookup %cid%\nopenplugin=true\n"
        "[datetime]\nenabled=true\ncommence=24/12/24-08:30:00\nexpire=01/01/YY-00:00:00\n"
        "todstart=22:00:00\ntodend=06:00:00\nweekdays=62\nfailmode=2\nfailogm=Weekend\n"
        "[cid]\nenabled=true\ncid=0044\ncidscanmode=2\nmode=1\nogm=Abroad\n";
    ASSERT_TRUE(WriteFile(OgmFile("Menu", ".ini"), stored));
    OgmPropertiesSheet sheet(nullptr, "Menu", services_);
    questions_.QueueDialog([&](QDialog&) {
        OgmMessagePage& m = *sheet.Message();
        EXPECT_EQ(m.WaitEdit()->text(), "12");
        EXPECT_EQ(Shown(m.ThenChoice()), "Leave Message for Mailbox...");
        EXPECT_TRUE(m.ThenDetails()->isEnabled());
        EXPECT_FALSE(m.AnswerCheck()->isChecked());
        EXPECT_TRUE(m.RecordingLabel()->text().contains("1.0 seconds"));
        sheet.Tabs()->setCurrentIndex(1);
        OgmKeyResponsePage& k = *sheet.KeyResponse();
        EXPECT_TRUE(k.DataEntryMode()->isChecked());
        EXPECT_EQ(Shown(k.KeyAction(2)), "Go To OGM...");
        EXPECT_EQ(Shown(k.KeyAction(10)), "Transfer (Confirmed) to...");
        EXPECT_EQ(Shown(k.KeyAction(11)), "Repeat OGM");
        EXPECT_EQ(k.ListFileEdit()->text(), "/srv/pins.txt");
        sheet.Tabs()->setCurrentIndex(2);
        OgmDateTimePage& d = *sheet.DateTime();
        EXPECT_EQ(d.CommenceDate()->text(), "24/12/24");
        EXPECT_EQ(d.CommenceTime()->text(), "08:30:00");
        EXPECT_EQ(d.ExpireDate()->text(), "01/01/YY");
        const bool monToFri[] = {true, true, true, true, true, false, false};
        for (int day = 0; day < 7; ++day)
            EXPECT_EQ(d.Day(day)->isChecked(), monToFri[day]) << OgmDateTimePage::kDayNames[day];
        EXPECT_TRUE(d.RefuseOnFail()->isChecked());
        EXPECT_EQ(d.FailOgm()->currentText(), "Weekend");  // kept though no such OGM
        EXPECT_EQ(Shown(d.CallerIdScan()), "doesn't start with");
        EXPECT_EQ(d.CallerIdOgm()->currentText(), "Abroad");
        VisitAllAndPress(sheet, QDialogButtonBox::Ok);
    });
    EXPECT_TRUE(sheet.Run());
    // Everything read back as it was stored (type in the case the page writes).
    for (const auto& [section, key, value] :
         std::vector<std::tuple<const char*, const char*, std::string>>{
             {"ivr", "wait", "12"},
             {"ivr", "type", "enternumber"},
             {"ivr", "press3", "go"},
             {"ivr", "press*", "repeat"},
             {"ivr", "varlimitmin", "-5"},
             {"ivr", "varlimitlist", "12, 345"},
             {"ivr", "varlimitlistfile", "/srv/pins.txt"},
             {"ivr", "openfile", "/usr/bin/lookup %cid%"},
             {"datetime", "commence", "24/12/24-08:30:00"},
             {"datetime", "expire", "01/01/YY-00:00:00"},
             {"datetime", "todstart", "22:00:00"},
             {"datetime", "todend", "06:00:00"},
             {"datetime", "weekdays", "62"},
             {"datetime", "failmode", "2"},
             {"datetime", "failogm", "Weekend"},
             {"cid", "cidscanmode", "2"},
             {"cid", "ogm", "Abroad"},
         })
        EXPECT_EQ(Key("Menu", section, key), value) << section << "/" << key;
}

TEST_F(OgmPropertiesTest, CancelWritesNothingAndApplyWritesWithoutClosing) {
    data_.Ogm("Menu");
    const std::string before = ReadFile(OgmFile("Menu", ".ini"));
    OgmPropertiesSheet sheet(nullptr, "Menu", services_);
    questions_.QueueDialog([&](QDialog&) {
        sheet.Message()->WaitEdit()->setText("9");
        sheet.Tabs()->setCurrentIndex(1);
        sheet.Tabs()->setCurrentIndex(2);
        QTest::mouseClick(sheet.Buttons()->button(QDialogButtonBox::Cancel), Qt::LeftButton);
    });
    EXPECT_FALSE(sheet.Run());
    EXPECT_EQ(ReadFile(OgmFile("Menu", ".ini")), before);

    OgmPropertiesSheet again(nullptr, "Menu", services_);
    questions_.QueueDialog([&](QDialog&) {
        again.Message()->WaitEdit()->setText("9");
        QTest::mouseClick(again.Buttons()->button(QDialogButtonBox::Apply), Qt::LeftButton);
        EXPECT_TRUE(again.isVisible());
        EXPECT_EQ(Key("Menu", "ivr", "wait"), "9");
        QTest::mouseClick(again.Buttons()->button(QDialogButtonBox::Cancel), Qt::LeftButton);
    });
    EXPECT_FALSE(again.Run());
    EXPECT_EQ(Key("Menu", "ivr", "wait"), "9");
}

TEST_F(OgmPropertiesTest, TheActionListsOfferWhatTheirKeyMayDoAndShowTheFirstForAnUnknownValue) {
    data_.Ogm("Menu");
    ASSERT_TRUE(
        WriteFile(OgmFile("Menu", ".ini"), "[ivr]\npress5=gp\nplaycomplete=play\npress6=\n"));
    OgmPropertiesSheet sheet(nullptr, "Menu", services_);
    questions_.QueueDialog([&](QDialog&) {
        QComboBox* then = sheet.Message()->ThenChoice();
        EXPECT_EQ(Entries(then),
                  (std::vector<QString>{"Go To OGM...", "Leave Message for Mailbox...",
                                        "Record Wav File...", "Transfer (Blind) to...",
                                        "Transfer (Confirmed) to...", "Access Mailbox Control",
                                        "Goodbye (Polite Hang-up)", "Hang-up (Immediate)"}));
        EXPECT_EQ(Shown(then), "Go To OGM...");
        sheet.Tabs()->setCurrentIndex(1);
        OgmKeyResponsePage& k = *sheet.KeyResponse();
        EXPECT_EQ(k.KeyAction(4)->count(), 12);
        EXPECT_EQ(Shown(k.KeyAction(4)), "No Response");
        EXPECT_EQ(Shown(k.KeyAction(5)), "No Response");
        // "Details" only for actions with arguments.
        const std::pair<const char*, bool> details[] = {{"noresponse", false},
                                                        {"invalid", false},
                                                        {"go", true},
                                                        {"mailbox", true},
                                                        {"play", true},
                                                        {"record", true},
                                                        {"transfer", true},
                                                        {"transferconfirmed", true},
                                                        {"mailboxaccess", false},
                                                        {"repeat", false},
                                                        {"goodbye", false},
                                                        {"hangup", false}};
        for (const auto& [value, enabled] : details) {
            QComboBox* key1 = k.KeyAction(0);
            key1->setCurrentIndex(key1->findData(QString(value)));
            EXPECT_EQ(k.KeyDetails(0)->isEnabled(), enabled) << value;
        }
        k.KeyAction(0)->setCurrentIndex(0);
        QTest::mouseClick(sheet.Buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    });
    EXPECT_TRUE(sheet.Run());
    EXPECT_EQ(Key("Menu", "ivr", "press5"), "noresponse");
    EXPECT_EQ(Key("Menu", "ivr", "playcomplete"), "go");
}

TEST_F(OgmPropertiesTest, TheModeChoosesTheControlsShownAndTheBoxesEnableTheirFields) {
    data_.Ogm("Menu");
    OgmPropertiesSheet sheet(nullptr, "Menu", services_);
    sheet.ShowPage(1);
    OgmKeyResponsePage& k = *sheet.KeyResponse();
    sheet.show();
    EXPECT_TRUE(k.DigitKeys()->isVisible());
    EXPECT_FALSE(k.DataEntryGroup()->isVisible());
    EXPECT_TRUE(k.KeyAction(10)->isVisible());  // "#" in both modes

    ClickBox(k.DataEntryMode());
    EXPECT_FALSE(k.DigitKeys()->isVisible());
    EXPECT_TRUE(k.DataEntryGroup()->isVisible());
    EXPECT_TRUE(k.KeyAction(11)->isVisible());  // "*" in both modes

    EXPECT_FALSE(k.Minimum()->isEnabled());
    EXPECT_FALSE(k.Inclusive()->isEnabled());
    ClickBox(k.LimitRange());
    EXPECT_TRUE(k.Minimum()->isEnabled());
    EXPECT_TRUE(k.Maximum()->isEnabled());
    ClickBox(k.LimitList());
    EXPECT_TRUE(k.Exclusive()->isEnabled());
    EXPECT_TRUE(k.ListEdit()->isEnabled());
    EXPECT_FALSE(k.BrowseFile()->isEnabled());
    ClickBox(k.ListFile());
    EXPECT_FALSE(k.ListEdit()->isEnabled());
    EXPECT_TRUE(k.BrowseFile()->isEnabled());

    // The chosen list file is written at once, whatever the sheet does then.
    questions_.QueueFile(QString("/srv/pins.txt"));
    QTest::mouseClick(k.BrowseFile(), Qt::LeftButton);
    EXPECT_EQ(questions_.filesAsked.back().title, "Select List File");
    EXPECT_EQ(Key("Menu", "ivr", "varlimitlistfile"), "/srv/pins.txt");
    EXPECT_EQ(k.ListFileEdit()->text(), "/srv/pins.txt");
    sheet.reject();
    EXPECT_EQ(Key("Menu", "ivr", "varlimitlistfile"), "/srv/pins.txt");
    EXPECT_EQ(Key("Menu", "ivr", "type"), "<missing>");
}

TEST_F(OgmPropertiesTest, DatesAndTimesAreTypedInTheTextFormsAndWrongOnesKeepThePageOpen) {
    data_.Ogm("Menu");
    struct Case {
        const char* date;
        const char* time;
        const char* stored;  // null: refused
    } cases[] = {
        {"25/12/24", "17:30", "25/12/24-17:30:00"},
        {"25/12/YY", "", "25/12/YY-00:00:00"},
        {"immediate", "12:00:00", "IMMEDIATE"},
        {"NEVER", "", "NEVER"},
        {"01/02/24", "9pm", "01/02/24-21:00:00"},
        {"31/02/24", "", nullptr},
        {"tomorrow", "", nullptr},
        {"12345", "", nullptr},
        {"01/02/24", "25:00:00", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.date) + " " + c.time);
        ASSERT_TRUE(WriteFile(OgmFile("Menu", ".ini"), "[datetime]\ncommence=0\n"));
        OgmPropertiesSheet sheet(nullptr, "Menu", services_);
        if (!c.stored)
            questions_.QueueAnswer(Answer::Ok);
        questions_.QueueDialog([&](QDialog&) {
            sheet.Tabs()->setCurrentIndex(2);
            sheet.DateTime()->CommenceDate()->setText(c.date);
            sheet.DateTime()->CommenceTime()->setText(c.time);
            QTest::mouseClick(sheet.Buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
            if (!c.stored) {
                EXPECT_TRUE(sheet.isVisible());
                EXPECT_EQ(sheet.Tabs()->currentIndex(), 2);
                EXPECT_EQ(questions_.asked.back().caption, "Invalid Date");
                sheet.reject();
            }
        });
        EXPECT_EQ(sheet.Run(), c.stored != nullptr);
        EXPECT_EQ(Key("Menu", "datetime", "commence"), c.stored ? c.stored : "0");
    }
}

TEST_F(OgmPropertiesTest, ANotesFileLongerThanShownIsKeptUnlessTheNotesAreEdited) {
    data_.Ogm("Menu");
    const std::string longNotes(OgmMessagePage::kNotesShown + 500, 'n');
    ASSERT_TRUE(WriteFile(OgmFile("Menu", ".txt"), longNotes));
    {
        OgmPropertiesSheet sheet(nullptr, "Menu", services_);
        questions_.QueueDialog([&](QDialog&) {
            EXPECT_EQ(sheet.Message()->NotesEdit()->toPlainText().size(),
                      OgmMessagePage::kNotesShown);
            QTest::mouseClick(sheet.Buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
        });
        EXPECT_TRUE(sheet.Run());
        EXPECT_EQ(ReadFile(OgmFile("Menu", ".txt")), longNotes);
    }
    OgmPropertiesSheet sheet(nullptr, "Menu", services_);
    questions_.QueueDialog([&](QDialog&) {
        QPlainTextEdit* notes = sheet.Message()->NotesEdit();
        notes->selectAll();
        QTest::keyClicks(notes, "Press 1 for sales.");
        QTest::mouseClick(sheet.Buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    });
    EXPECT_TRUE(sheet.Run());
    EXPECT_EQ(ReadFile(OgmFile("Menu", ".txt")), "Press 1 for sales.");
}

}  // namespace
}  // namespace orvia::test
