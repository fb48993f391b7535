// The line dialog over the telephony configuration, and the device
// settings dialogs: what they list, refuse and write. A SIP device's
// settings are read back through the SIP provider's own parser.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "file_mode_helpers.h"
#include "line/line_application.h"
#include "platform/sip/sip_settings.h"
#include "settings_fixtures.h"
#include "store/settings_store.h"
#include "ui/settings/devices_page.h"
#include "ui/settings/line_properties_dialog.h"
#include "ui/settings/settings_sheet.h"
#include "ui/settings/simulated_device_dialog.h"
#include "ui/settings/sip_device_dialog.h"

namespace orvia::test {
namespace {

class LineDialogTest : public SettingsTest {
protected:
    // The section as the SIP provider reads it.
    sip::SipDeviceSettings ParsedSip(const std::string& section) {
        sip::SipDeviceSettings parsed;
        std::string error;
        for (const auto& [name, keys] : ReadTelephonySections(TelephonyPath())) {
            if (name == section) {
                EXPECT_EQ(SettingOf(keys, "type"), "sip");
                EXPECT_TRUE(sip::ParseSipDeviceSettings(name, keys, &parsed, &error)) << error;
                return parsed;
            }
        }
        ADD_FAILURE() << "no section " << section;
        return parsed;
    }
    static void Type(QLineEdit* edit, const QString& text) {
        edit->clear();
        QTest::keyClicks(edit, text);
    }
};

TEST_F(LineDialogTest, ListsTheDevicesByNameAndWritesTheLine) {
    data_.Ogm("Default Answering Message");
    data_.Ogm("Sales");
    Telephony(
        "[office]\ntype=sip\nname=Office\n[bad]\ntype=carrier-pigeon\n"
        "[demo]\ntype=simulated\nname=Demo Line\n");
    Set("line3", "device", "1");
    LinePropertiesDlg dialog(nullptr, 3);
    dialog.Prepare();
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Line Properties");
    EXPECT_EQ(dialog.Name()->text(), "Line 4");
    ASSERT_EQ(dialog.Device()->count(), 2);  // the unknown type gives no device
    EXPECT_EQ(dialog.Device()->itemText(0), "Office");
    EXPECT_EQ(dialog.Device()->currentText(), "Demo Line");
    EXPECT_TRUE(dialog.DefaultOgm()->isChecked());
    EXPECT_FALSE(dialog.Ogm()->isEnabled());
    EXPECT_EQ(dialog.Ogm()->currentText(), "Default Answering Message");

    Type(dialog.Name(), "Shop");
    dialog.Device()->setCurrentIndex(0);
    QTest::mouseClick(dialog.OverrideOgm(), Qt::LeftButton);
    EXPECT_TRUE(dialog.Ogm()->isEnabled());
    dialog.Ogm()->setCurrentIndex(dialog.Ogm()->findText("Sales"));
    QTest::mouseClick(dialog.NoCallerIdFlash(), Qt::LeftButton);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(Setting("line3", "name"), "Shop");
    EXPECT_EQ(Setting("line3", "device"), "0");
    EXPECT_EQ(Setting("line3", "ogmoverride"), "true");
    EXPECT_EQ(Setting("line3", "ogm"), "Sales");
    EXPECT_EQ(Setting("line3", "cidflash"), "false");
}

TEST_F(LineDialogTest, ADeviceWithoutVoiceIsRefusedWithTheNameAlreadyWritten) {
    Telephony("[modem]\ntype=simulated\nname=Data Modem\nvoice=false\n");
    Set("line0", "device", "5");
    LinePropertiesDlg dialog(nullptr, 0);
    dialog.Prepare();
    dialog.show();
    EXPECT_EQ(dialog.Device()->currentIndex(), -1);  // no device 5
    Type(dialog.Name(), "Fax");
    dialog.Device()->setCurrentIndex(0);
    questions_.QueueAnswer(Answer::Ok);
    dialog.accept();
    ASSERT_EQ(questions_.asked.size(), 1u);
    EXPECT_EQ(questions_.asked[0].caption, "Device Error");
    EXPECT_TRUE(questions_.asked[0].text.startsWith(
        "The line device that you have selected is not voice capable.\n\n"));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(Setting("line0", "name"), "Fax");
    EXPECT_EQ(Setting("line0", "device"), "5");
    EXPECT_EQ(Setting("line0", "ogmoverride"), "(missing)");
}

TEST_F(LineDialogTest, TheSipDialogWritesWhatTheProviderReads) {
    Telephony("[desk]\ntype=sip\nname=Desk\nchannels=2\n");
    LinePropertiesDlg line(nullptr, 0);
    line.Prepare();
    line.show();
    // Each channel of the account is a device of its own.
    ASSERT_EQ(line.Device()->count(), 2);
    ASSERT_EQ(line.Device()->currentText(), "Desk 1");
    questions_.QueueDialog([](QDialog& dialog) {
        auto& sip = static_cast<SipDeviceDialog&>(dialog);
        EXPECT_EQ(sip.Field("name")->text(), "Desk");
        EXPECT_EQ(sip.Field("password")->echoMode(), QLineEdit::Password);
        EXPECT_EQ(sip.Transport()->currentText(), "udp");
        Type(sip.Field("name"), "Main number");
        Type(sip.Field("listen"), "192.168.1.20:5062");
        sip.Transport()->setCurrentIndex(sip.Transport()->findText("tcp"));
        Type(sip.Field("registrar"), "sip.provider.example");
        Type(sip.Field("user"), "4930123456");
        Type(sip.Field("authuser"), "auth77");
        Type(sip.Field("password"), "p=ss;w0rd#");
        Type(sip.Field("displayname"), "Example Ltd");
        Type(sip.Field("outboundproxy"), "sbc.provider.example:5060");
        sip.Dtmf()->setCurrentIndex(sip.Dtmf()->findText("info"));
        Type(sip.Field("ringinterval"), "2.5");
        Type(sip.Field("acceptfrom"), "192.168.1.0/24, 10.0.0.5");
        Type(sip.Field("natkeepalive"), "40");
        Type(sip.Field("channels"), "4");
        sip.MediaEncryption()->setCurrentIndex(sip.MediaEncryption()->findText("srtp-optional"));
        dialog.accept();
    });
    QTest::mouseClick(line.Configure(), Qt::LeftButton);
    // The dialog shows the new name at once.
    EXPECT_EQ(line.Device()->currentText(), "Main number 1");
    EXPECT_EQ(Setting("state", "restart"), "true");

    const sip::SipDeviceSettings sip = ParsedSip("desk");
    EXPECT_EQ(sip.name, "Main number");
    EXPECT_EQ(sip.listenHost, "192.168.1.20");
    EXPECT_EQ(sip.listenPort, 5062);
    EXPECT_EQ(sip.transport, sip::SipTransport::Tcp);
    EXPECT_EQ(sip.registrar, "sip:sip.provider.example;transport=tcp");
    EXPECT_EQ(sip.user, "4930123456");
    EXPECT_EQ(sip.authUser, "auth77");
    EXPECT_EQ(sip.password, "p=ss;w0rd#");
    EXPECT_EQ(sip.displayName, "Example Ltd");
    EXPECT_EQ(sip.outboundProxy, "sip:sbc.provider.example:5060;transport=tcp;lr");
    EXPECT_EQ(sip.dtmf, sip::DtmfMode::Info);
    EXPECT_EQ(sip.ringIntervalMs, 2500);
    EXPECT_EQ(sip.natKeepaliveSeconds, 40);
    EXPECT_EQ(sip.channels, 4);
    EXPECT_EQ(sip.mediaEncryption, sip::MediaEncryption::SrtpOptional);
    EXPECT_TRUE(sip.tlsVerify);
}

TEST_F(LineDialogTest, SettingsTheProviderCannotUseAreRefusedAndTheFileKept) {
    Telephony("[desk]\ntype=sip\nname=Desk\n");
    const std::string before = ReadFile(TelephonyPath());
    SipDeviceDialog dialog(nullptr, TelephonyPath(), "desk");
    dialog.Prepare();
    dialog.show();
    struct Case {
        const char* key;
        const char* value;
        const char* says;
    };
    const Case cases[] = {{"listen", "localhost:5060", "\"listen\""},
                          {"registrar", "pbx.example", "needs a \"user\""},
                          {"ringinterval", "soon", "\"ringinterval\""},
                          {"password", "trailing ", "password may not begin or end"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        Type(dialog.Field(c.key), c.value);
        questions_.QueueAnswer(Answer::Ok);
        dialog.accept();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(questions_.asked.back().text.contains(c.says))
            << questions_.asked.back().text.toStdString();
        dialog.Field(c.key)->clear();
    }
    EXPECT_EQ(ReadFile(TelephonyPath()), before);
    dialog.reject();
    EXPECT_EQ(ReadFile(TelephonyPath()), before);
    EXPECT_EQ(Setting("state", "restart"), "(missing)");
}

TEST_F(LineDialogTest, ASipDeviceIsAddedFromTheDevicesPage) {
    Telephony("[sip1]\ntype=simulated\n");
    SettingsSheet sheet(nullptr, SettingsServices{&startup_, {}});
    sheet.ShowPage(SettingsSheet::Devices);
    questions_.QueueDialog([](QDialog& dialog) {
        auto& sip = static_cast<SipDeviceDialog&>(dialog);
        EXPECT_TRUE(sip.Field("name")->text().isEmpty());
        Type(sip.Field("name"), "Softphone line");
        dialog.accept();
    });
    QTest::mouseClick(sheet.DevicesPage()->AddSipButton(), Qt::LeftButton);
    // A new section after the others: the next device identifier.
    EXPECT_EQ(ReadProfileSectionNames(TelephonyPath()), (std::vector<std::string>{"sip1", "sip2"}));
    const sip::SipDeviceSettings sip = ParsedSip("sip2");
    EXPECT_EQ(sip.name, "Softphone line");
    EXPECT_EQ(sip.listenHost, "127.0.0.1");
    EXPECT_EQ(sip.listenPort, 5060);

    // Cancel adds nothing.
    questions_.QueueDialog([](QDialog& dialog) { dialog.reject(); });
    QTest::mouseClick(sheet.DevicesPage()->AddSipButton(), Qt::LeftButton);
    EXPECT_EQ(ReadProfileSectionNames(TelephonyPath()).size(), 2u);

    // The new device is a line's choice at once.
    questions_.QueueDialog([](QDialog& dialog) {
        auto& line = static_cast<LinePropertiesDlg&>(dialog);
        EXPECT_EQ(line.Device()->itemText(1), "Softphone line");
        line.Device()->setCurrentIndex(1);
        line.accept();
    });
    QTest::mouseClick(sheet.DevicesPage()->AddButton(), Qt::LeftButton);
    EXPECT_EQ(sheet.DevicesPage()->Lines()->item(0)->text(), "Line 1 [Softphone line]");
}

TEST_F(LineDialogTest, ANewConfigurationHoldingAPasswordIsPrivate) {
    const ScopedUmask umask(022);
    ASSERT_FALSE(FileExists(TelephonyPath()));
    SipDeviceDialog dialog(nullptr, TelephonyPath(), "sip1");
    dialog.Prepare();
    Type(dialog.Field("registrar"), "pbx.example");
    Type(dialog.Field("user"), "201");
    Type(dialog.Field("password"), "secret");
    dialog.accept();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(ModeOf(TelephonyPath()), 0600u);
    EXPECT_EQ(ParsedSip("sip1").password, "secret");
}

TEST_F(LineDialogTest, TheSimulatedDeviceDialogWritesWhatTheProviderReads) {
    Telephony("[demo]\ntype=simulated\nvoice=no\n");
    SimulatedDeviceDialog dialog(nullptr, TelephonyPath(), "demo");
    dialog.Prepare();
    EXPECT_TRUE(dialog.Voice()->isChecked());  // anything but "false" is voice
    EXPECT_TRUE(dialog.Opens()->isChecked());
    EXPECT_FALSE(dialog.FaxApplication()->isChecked());
    dialog.Name()->setText("Data only");
    dialog.Voice()->setChecked(false);
    dialog.FaxApplication()->setChecked(true);
    dialog.accept();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    LLineApplication application;
    ASSERT_TRUE(application.Initialise());
    EXPECT_EQ(application.GetDeviceName(0), "Data only");
    EXPECT_FALSE(application.IsVoiceCapable(0));
}

}  // namespace
}  // namespace orvia::test
