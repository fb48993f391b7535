// `make screenshots`: every window and dialog of the desktop UI rendered on
// Qt's offscreen platform with fixed data, at fixed sizes, one PNG each in
// the folder given (build/screenshots). Made for a person to look at.
//
//     orvia_screenshots OUTPUT_FOLDER
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFont>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QStyleFactory>
#include <QTextBrowser>
#include <QTreeWidget>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>

#include "app/core/main_dialog.h"
#include "app/core/message_actions.h"
#include "desktop_fakes.h"
#include "platform/dispatch/step_dispatcher.h"
#include "platform/time/clock.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"
#include "ui/framework/help.h"
#include "ui/framework/pictures.h"
#include "ui/framework/progress_dialog.h"
#include "ui/main/about_dialog.h"
#include "ui/main/banner.h"
#include "ui/main/call_log_dialog.h"
#include "ui/main/caller_id_flash.h"
#include "ui/main/desktop_view.h"
#include "ui/main/email_dialog.h"
#include "ui/main/main_messages.h"
#include "ui/main/main_window.h"
#include "ui/main/message_list_view.h"
#include "ui/main/splash_screen.h"
// The OGM editor, the mailbox dialog and the call-flow map.
#include "engine/mailbox_files.h"
#include "engine/ogm_files.h"
#include "engine/recording_leveller.h"
#include "ui/callflow/call_flow_map.h"
#include "ui/framework/key_writer.h"
#include "ui/mailbox/mailbox_dialog.h"
#include "ui/ogm/action_details.h"
#include "ui/ogm/new_audio_menu.h"
#include "ui/ogm/ogm_editor_dialogs.h"
#include "ui/ogm/ogm_list_dialog.h"
#include "ui/ogm/ogm_message_page.h"
#include "ui/ogm/ogm_messages.h"
#include "ui/ogm/ogm_properties.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <cmath>
#include <numbers>

#include "app/startup/telephony_providers_p.h"
#include "audio/codec/format_choice.h"
#include "audio/codec/standard_formats.h"
#include "engine/ivr_main.h"
#include "line/line_application.h"
#include "platform/wave/fast_test_device.h"
#include "platform/wave/wave_input_source.h"
#include "platform/wave/wave_registry.h"
#include "speech/speech_engine.h"
#include "ui/format/format_chooser.h"
#include "ui/record/record_dialog.h"
#include "ui/record/record_dialog_advanced.h"
#include "ui/record/record_params.h"
#include "ui/record/wave_scan.h"
#include "ui/settings/auto_hours_page.h"
#include "ui/settings/devices_page.h"
#include "ui/settings/email_page.h"
#include "ui/settings/general_page.h"
#include "ui/settings/line_properties_dialog.h"
#include "ui/settings/settings_messages.h"
#include "ui/settings/settings_sheet.h"
#include "ui/settings/simulated_device_dialog.h"
#include "ui/settings/sip_device_dialog.h"
#include "ui/settings/startup_registration.h"
#include "ui/simulator/call_test_simulator.h"
#include "ui/speech/speech_messages.h"
#include "ui/speech/tts_input_dialog.h"

namespace orvia::test {
namespace {

class Shots {
public:
    explicit Shots(QString folder) : folder_(std::move(folder)) {}

    void Save(const QString& name, const QPixmap& pixmap) {
        const QString path = folder_ + "/" + name + ".png";
        if (pixmap.isNull() || !pixmap.save(path)) {
            std::cerr << "orvia_screenshots: could not write " << path.toStdString() << "\n";
            failed_ = true;
            return;
        }
        std::cout << path.toStdString() << "\n";
    }

    // A window shown offscreen, laid out and painted, then grabbed with a
    // plain title bar of its caption and icon (the offscreen platform draws
    // no window frames).
    void Window(const QString& name, QWidget& widget, QSize size = QSize()) {
        Show(widget, size);
        Save(name, Framed(widget, widget.grab()));
        widget.hide();
    }

    // A window without a frame of its own (splash, caller-id flash).
    void Frameless(const QString& name, QWidget& widget) {
        Show(widget, QSize());
        Save(name, widget.grab());
        widget.hide();
    }

    void Menu(const QString& name, QMenu& menu) {
        menu.popup(QPoint(0, 0));
        QApplication::processEvents();
        Save(name, menu.grab());
        menu.hide();
    }

    void MessageBox(const QString& name, const Question& question) {
        const std::unique_ptr<QMessageBox> box = MakeMessageBox(nullptr, question);
        Window(name, *box);
    }

    bool Failed() const { return failed_; }

private:
    static void Show(QWidget& widget, QSize size) {
        if (size.isValid())
            widget.resize(size);
        else
            widget.adjustSize();
        widget.show();
        QApplication::processEvents();
    }

    static QPixmap Framed(const QWidget& widget, const QPixmap& content) {
        const int bar = 26;
        QPixmap framed(content.width() + 2, content.height() + bar + 1);
        framed.fill(QColor("#3c4043"));
        QPainter painter(&framed);
        painter.drawPixmap(1, bar, content);
        const QIcon icon = widget.windowIcon();
        int x = 8;
        if (!icon.isNull()) {
            painter.drawPixmap(x, (bar - 16) / 2, icon.pixmap(16, 16));
            x += 22;
        }
        painter.setPen(Qt::white);
        QFont font = painter.font();
        font.setBold(true);
        painter.setFont(font);
        painter.drawText(QRect(x, 0, framed.width() - x - 8, bar), Qt::AlignVCenter | Qt::AlignLeft,
                         widget.windowTitle());
        return framed;
    }

    QString folder_;
    bool failed_ = false;
};

// Every picture at list, button and large sizes on a light and a dark strip.
QPixmap PictureSheet() {
    const char* names[] = {kPictureWindowIcon, kPictureTray,      kPictureOn,
                           kPictureOff,        kPicturePlay,      kPicturePlayIdle,
                           kPictureEmail,      kPictureEmailIdle, kPictureDelete,
                           kPictureDeleteIdle, kPictureUnread,    kPictureRead};
    const int sizes[] = {16, 24, 48};
    const int cell = 64;
    QPixmap sheet(cell * static_cast<int>(std::size(names)), cell * 4 + 20);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    painter.fillRect(0, cell * 3, sheet.width(), cell + 20, QColor("#2b2f33"));
    for (int i = 0; i < static_cast<int>(std::size(names)); ++i) {
        const int x = i * cell;
        for (int row = 0; row < 3; ++row) {
            const int size = sizes[row];
            painter.drawPixmap(x + (cell - size) / 2, row * cell + (cell - size) / 2,
                               Picture(names[i]).pixmap(size, size));
        }
        painter.drawPixmap(x + 20, cell * 3 + 20, Picture(names[i]).pixmap(24, 24));
        painter.setPen(Qt::white);
        painter.drawText(QRect(x, cell * 4, cell, 20), Qt::AlignCenter, names[i]);
    }
    return sheet;
}

// The settings sheet, the line and device dialogs, the format chooser, the
// record control, the Call Test Simulator and the speech dialogs.

// Start-up registration that reports nothing registered and registers nothing.
class NoStartup : public StartupRegistration {
public:
    bool IsRunAtLogon() override { return true; }
    bool SetRunAtLogon(bool) override { return true; }
    bool IsService() override { return false; }
    bool SetService(bool) override { return true; }
};

// Three seconds of something like speech: tone bursts of changing loudness.
std::vector<int16_t> SpeechLike(int rate) {
    std::vector<int16_t> samples;
    const double syllables[] = {0.0, 0.55, 0.9, 0.35, 0.0, 0.7, 1.0, 0.6, 0.2, 0.0, 0.8, 0.45, 0.0};
    const int per = rate / 4;
    for (double loudness : syllables) {
        for (int i = 0; i < per; ++i) {
            const double envelope = std::sin(std::numbers::pi * i / per);
            const double wave = std::sin(2 * std::numbers::pi * 180 * i / rate) * 0.7 +
                                std::sin(2 * std::numbers::pi * 410 * i / rate) * 0.3;
            samples.push_back(static_cast<int16_t>(26000 * loudness * envelope * wave));
        }
    }
    return samples;
}

void CapturePartThree(Shots& shots, QWidget& window, StepDispatcher& dispatcher) {
    RegisterTelephonyProviders();
    const std::string settings = Store().SettingsFile();
    WriteFile(Store().DataFolder() + "telephony.ini",
              "[office]\ntype=sip\nname=Office (SIP)\nlisten=192.168.1.20:5060\n"
              "registrar=sip.provider.example\nuser=4930123456\npassword=secret\n"
              "displayname=Example Ltd\n"
              "[demo]\ntype=simulated\nname=Demo Line\n"
              "[modem]\ntype=simulated\nname=Data Modem\nvoice=false\n");
    WriteProfileBool(settings, "line0", "use", true);
    WriteProfileString(settings, "line0", "name", "Main number");
    WriteProfileInt(settings, "line0", "device", 0);
    WriteProfileBool(settings, "line1", "use", true);
    WriteProfileString(settings, "line1", "name", "Demo");
    WriteProfileInt(settings, "line1", "device", 1);
    WriteProfileString(settings, "smtp", "server", "mail.example.com:587");
    WriteProfileString(settings, "smtp", "user", "phone@example.com");
    WriteProfileString(settings, "smtp", "password", "secret");
    WriteProfileString(settings, "smtp", "from", "phone@example.com");
    WriteProfileBool(settings, "autohours", "enabled", true);
    WriteProfileInt(settings, "autohours", "aftermode", 1);
    WriteProfileString(settings, "autohours", "afterogm", "Out of Hours");

    // Sound devices as a machine would have them.
    auto mic = std::make_shared<FastTestDevice>("Built-in Audio Analog Stereo");
    auto speakers = std::make_shared<FastTestDevice>("Built-in Audio Analog Stereo");
    auto headset = std::make_shared<FastTestDevice>("USB Headset");
    mic->SetInput(SamplesInput(SpeechLike(8000)));
    ScopedWaveDevice in0(WaveDirection::Input, 0, mic);
    ScopedWaveDevice in1(WaveDirection::Input, 1, headset);
    ScopedWaveDevice out0(WaveDirection::Output, 0, speakers);
    ScopedWaveDevice out1(WaveDirection::Output, 1, headset);

    NoStartup startup;
    const QSize sheetSize(560, 600);
    {
        SettingsSheet sheet(&window, SettingsServices{&startup, {}});
        const char* names[] = {"settings_general", "settings_devices", "settings_autohours",
                               "settings_transfer_record", "settings_email"};
        for (int page = 0; page < 5; ++page) {
            sheet.ShowPage(page);
            shots.Window(names[page], sheet, sheetSize);
        }
        sheet.reject();
    }

    LinePropertiesDlg line(&window, 0);
    line.Prepare();
    shots.Window("line_properties", line);

    SipDeviceDialog sip(&window, Store().DataFolder() + "telephony.ini", "office");
    sip.Prepare();
    shots.Window("sip_device", sip);

    SimulatedDeviceDialog simulated(&window, Store().DataFolder() + "telephony.ini", "demo");
    simulated.Prepare();
    shots.Window("simulated_device", simulated);

    FormatChooserDialog chooser(&window, Gsm610Format(8000));
    chooser.Prepare();
    shots.Window("format_chooser", chooser);

    // The record control after a take of three seconds, scrubbing at 2.0 s.
    {
        LRecordParams params;
        params.path = Store().DataFolder() + "Record.wav";
        params.title = "Sales";
        params.flags = LRecordParams::kReadOnlyName | LRecordParams::kAutoTrim;
        LRecordDlg record(&window, params);
        record.Prepare();
        record.resize(620, 470);
        record.show();
        dispatcher.RunUntil([&] { return record.Position() >= 36000; }, 20000);
        record.Stop();
        record.GoToStart();
        record.ScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        record.Scrub();
        dispatcher.RunUntil(
            [&] { return record.Scan() != nullptr && record.Scan()->Completed() > 0; }, 20000);
        for (int i = 0; i < 5; ++i)
            dispatcher.RunPending();
        shots.Window("record_control", record, QSize(620, 470));

        LRecordDlgAdvanced advanced(&window, params);
        advanced.Prepare();
        shots.Window("record_advanced", advanced);
        record.Stop();
    }

    // The simulator during a call.
    {
        LCallSimLine simLine;
        simLine.SetOwner(std::make_unique<IVRCMain>(0, nullptr));
        LCallSimDlg simulator(&window, simLine);
        simulator.Prepare();
        simLine.ConnectCall();
        dispatcher.RunPending();
        shots.Window("call_test_simulator", simulator);
        simLine.HangUp();
        dispatcher.RunPending();
    }

    std::string text =
        "Thank you for calling Example Ltd. Please leave your name and number after "
        "the tone, and we will call you back.";
    int engine = 0;
    for (int index = 0; index < CountEngines(); ++index) {
        if (EngineName(index).find("English") != std::string::npos) {
            engine = index;
            break;
        }
    }
    LTTSInputDialog speech(&window, text, engine, Store().DataFolder() + "Synthesized.wav");
    speech.Prepare();
    shots.Window("synthesize_speech", speech);
    {
        LProgressDialog progress(&window, "Synthesize Voice", "Synthesizing Voice",
                                 "Please wait...");
        progress.SetPercent(60);
        shots.Window("synthesize_progress", progress.Widget());
    }

    shots.MessageBox("confirm_remove_line", RemoveLineQuestion());
    shots.MessageBox("device_error", DeviceNotVoiceCapableMessage());
    shots.MessageBox("codec_defective", CodecDefectiveMessage());
    shots.MessageBox("stereo_format_error", StereoFormatMessage());
    shots.MessageBox("format_not_available", FormatNotAvailableMessage());
    shots.MessageBox("device_settings_refused",
                     DeviceSettingsRefusedMessage(
                         "\"listen\": \"localhost:5060\" is not an IP address and port"));
    shots.MessageBox(
        "test_mail_sent",
        TestMailResultMessage(true, TestMailOutcome(TransferStatus::Ok, "", "mail.example.com:587",
                                                    "owner@example.com")));
    shots.MessageBox(
        "test_mail_refused",
        TestMailResultMessage(false, TestMailOutcome(TransferStatus::LoginDenied,
                                                     "login denied: the server answered \"535 "
                                                     "5.7.8 Authentication credentials invalid\"",
                                                     "mail.example.com:587", "owner@example.com")));
    shots.MessageBox("engine_not_available", EngineNotAvailableMessage());

    OpenHelp(nullptr, kHelpRecordControl);
    shots.Window("help_record_control", *HelpBrowser()->window(), QSize(560, 480));
    CloseHelp();

    // The record control's buttons at list, button and large sizes.
    const char* buttons[] = {kPictureRecord,  kPictureRecordPlay, kPictureScrub,
                             kPictureStop,    kPictureGoToStart,  kPictureRewind,
                             kPictureForward, kPictureGoToEnd,    kPictureRetake};
    const int cell = 64;
    QPixmap sheet(cell * static_cast<int>(std::size(buttons)), cell * 3);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    for (int i = 0; i < static_cast<int>(std::size(buttons)); ++i) {
        const int sizes[] = {16, 24, 48};
        for (int row = 0; row < 3; ++row)
            painter.drawPixmap(i * cell + (cell - sizes[row]) / 2,
                               row * cell + (cell - sizes[row]) / 2,
                               Picture(buttons[i]).pixmap(sizes[row], sizes[row]));
    }
    painter.end();
    shots.Save("pictures_record_control", sheet);
}

// A level-control queue that only takes note (the pictures change no file).
class NoLeveller : public RecordingLeveller {
public:
    void Enqueue(const std::string&) override {}
};

// The OGM editor, the mailbox dialog and the call-flow map, over a small
// call flow with a few broken references.
void CaptureOgmEditor(Shots& shots, QWidget& window) {
    RecordingPlayback playback;
    NoLeveller leveller;
    const AudioServices services{playback, leveller};
    const std::string answer = OgmDefinitionPath("Default Answering Message");
    const std::string sales = OgmDefinitionPath("Sales Menu");
    const std::pair<const char*, const char*> answerKeys[] = {{"press1", "go"},
                                                              {"press1go", "Sales Menu"},
                                                              {"press2", "mailbox"},
                                                              {"press2mbx", "Complaints"},
                                                              {"press3", "go"},
                                                              {"press3go", "Technical Help"},
                                                              {"press0", "mailboxaccess"},
                                                              {"press*", "transfer"},
                                                              {"press*transfer", "200"},
                                                              {"playcomplete", "mailbox"},
                                                              {"playcompletembx", "Default"}};
    for (const auto& [key, value] : answerKeys)
        WriteProfileString(answer, "ivr", key, value);
    const std::pair<const char*, const char*> salesKeys[] = {
        {"press1", "transferconfirmed"},
        {"press1transfer", "204"},
        {"press1transferfail", "mailbox"},
        {"press1transferfailmbx", "Sales"},
        {"press2", "play"},
        {"press2playfile", "/srv/orvia/prices.wav"},
        {"press3", "go"},
        {"press3go", "Order Status"},
        {"press9", "go"},
        {"press9go", "Default Answering Message"},
        {"playcomplete", "goodbye"},
        {"wait", "8"},
        {"repeat", "1"}};
    for (const auto& [key, value] : salesKeys)
        WriteProfileString(sales, "ivr", key, value);
    test::WriteFile(OgmFileWithExtension(sales, ".txt"),
                    "Thank you for calling the sales line.\nPress 1 to speak to an adviser, "
                    "2 for our prices, 3 for the status of an order, 9 for the main menu.\n");
    // A number entry without a recording of its own.
    const std::string status = OgmDefinitionPath("Order Status");
    const std::pair<const char*, const char*> statusKeys[] = {{"type", "enternumber"},
                                                              {"varname", "order"},
                                                              {"maxdigits", "6"},
                                                              {"varlimit", "true"},
                                                              {"varlimitmin", "1000"},
                                                              {"varlimitmax", "999999"},
                                                              {"varlimitlistenabled", "true"},
                                                              {"varlimitlistexclude", "true"},
                                                              {"varlimitlist", "0, 9"},
                                                              {"press#", "go"},
                                                              {"press#go", "%order%"},
                                                              {"press*", "go"},
                                                              {"press*go", "Sales Menu"},
                                                              {"answer", "false"}};
    for (const auto& [key, value] : statusKeys)
        WriteProfileString(status, "ivr", key, value);
    const std::string hours = OgmDefinitionPath("Out of Hours");
    WriteProfileString(hours, "datetime", "enabled", "true");
    WriteProfileString(hours, "datetime", "commence", "01/01/24-00:00:00");
    WriteProfileString(hours, "datetime", "todstart", "18:00:00");
    WriteProfileString(hours, "datetime", "todend", "08:00:00");
    WriteProfileString(hours, "datetime", "weekdays", "62");
    WriteProfileString(hours, "datetime", "failmode", "1");
    WriteProfileString(hours, "datetime", "failogm", "Default Answering Message");
    WriteProfileString(hours, "cid", "enabled", "true");
    WriteProfileString(hours, "cid", "cid", "0044");
    WriteProfileString(hours, "ivr", "log", "true");
    WriteProfileString(hours, "ivr", "logname", "After Hours");
    const std::string support = MailboxPath("Support");
    WriteProfileString(support, "mbx", "remoteaccess", "true");
    WriteProfileString(support, "mbx", "sendemail", "true");
    WriteProfileString(support, "mbx", "emailaddress", "support@example.com");
    WriteProfileString(support, "mbx", "sendftp", "true");
    WriteProfileString(support, "mbx", "ftpserver", "ftp.example.com");
    WriteProfileString(support, "mbx", "ftpuser", "orvia");
    WriteProfileString(support, "mbx", "ftppass", "secret");
    WriteProfileString(support, "mbx", "ftpdir", "/voicemail");

    OgmListDialog list(&window, "Sales Menu", services);
    list.Prepare();
    shots.Window("ogm_list", list);

    OgmPropertiesSheet sheet(&window, "Sales Menu", services);
    const char* pages[] = {"ogm_message", "ogm_key_response", "ogm_date_time", "ogm_advanced"};
    for (int page = 0; page < 4; ++page) {
        sheet.ShowPage(page);
        shots.Window(pages[page], sheet);
    }
    OgmPropertiesSheet entry(&window, "Order Status", services);
    entry.ShowPage(1);
    shots.Window("ogm_key_response_data_entry", entry);
    OgmPropertiesSheet conditions(&window, "Out of Hours", services);
    conditions.ShowPage(2);
    shots.Window("ogm_date_time_conditions", conditions);
    conditions.ShowPage(3);
    shots.Window("ogm_advanced_log", conditions);
    sheet.ShowPage(0);
    sheet.show();
    shots.Menu("ogm_audio_menu", *sheet.Message()->AudioMenu());
    sheet.hide();

    GoToOgmDialog go(&window, sales, "press3");
    go.Prepare();
    shots.Window("ogm_go_to", go);
    LeaveMessageDialog mailbox(&window, answer, "playcomplete");
    mailbox.Prepare();
    shots.Window("ogm_leave_message", mailbox);
    TransferDialog confirmed(&window, sales, "press1", true);
    confirmed.Prepare();
    shots.Window("ogm_transfer_confirmed", confirmed);
    TransferDialog blind(&window, answer, "press*", false);
    blind.Prepare();
    shots.Window("ogm_transfer_blind", blind);

    {
        LProgressDialog progress(&window, "Process Audio File", "Process Audio", "Please wait...");
        progress.SetPercent(65);
        shots.Window("process_audio_progress", progress.Widget());
    }
    const std::unique_ptr<QInputDialog> name =
        MakeTextDialog(&window, "Enter New OGM Name", "OGM 1");
    shots.Window("new_ogm_name", *name);
    shots.MessageBox("confirm_delete_ogm", DeleteOgmQuestion());
    shots.MessageBox("rename_ogm_warning", RenameOgmWarning());
    shots.MessageBox("rename_ogm_fail", RenameOgmFailed());
    shots.MessageBox("confirm_clear_audio", ClearOgmAudioQuestion());
    shots.MessageBox("new_audio_not_readable", NewAudioNotReadable("/home/me/notes.wav"));
    shots.MessageBox("new_audio_not_written",
                     NewAudioNotWritten(OgmFileWithExtension(sales, ".wav")));
    shots.MessageBox("invalid_date", InvalidDateTime("commencement date and time", "31/02/24"));
    shots.MessageBox("save_failed", SaveFailedQuestion(sales));

    MailboxDialog box(&window, "Support", services);
    box.Prepare();
    shots.Window("mailbox_properties", box);
    MailboxDialog open(&window, "Sales", services);
    open.Prepare();
    open.RemoteAccess()->click();
    shots.Window("mailbox_properties_open_access", open);
    box.show();
    shots.Menu("mailbox_greeting_menu", *box.GreetingMenu());
    box.hide();
    shots.MessageBox("invalid_email", EmailAddressRequired());
    shots.MessageBox("invalid_server", FtpServerRequired());

    CallFlowMapDialog map(&window, services);
    map.Prepare();
    shots.Window("call_flow_map", map, QSize(1420, 820));

    for (const auto& [topic, picture] : {std::pair<int, const char*>{kHelpOgmList, "help_ogm_list"},
                                         {kHelpMailboxProperties, "help_mailbox_properties"},
                                         {kHelpCallFlowMap, "help_call_flow_map"}}) {
        OpenHelp(nullptr, topic);
        shots.Window(picture, *HelpBrowser()->window(), QSize(560, 480));
    }
    CloseHelp();
}

int Capture(const QString& folder, const std::string& dataFolder) {
    Shots shots(folder);
    DataFolder data(dataFolder);
    ScopedFixedClock clock(1709801400);  // 2024-03-07 08:50:00
    StepDispatcher dispatcher;
    ScopedCurrentDispatcher current(&dispatcher);
    RecordingPlayback playback;
    ScriptedLines lines;
    std::ostringstream out;

    // Fixed data: two answering OGMs, three mailboxes, six messages.
    data.Ogm("Default Answering Message");
    data.Ogm("Out of Hours");
    data.Ogm("Sales Menu", "false");
    for (const char* mailbox : {"Default", "Sales", "Support"})
        data.Mailbox(mailbox);
    const std::string settings = data.Settings();
    WriteProfileString(settings, "settings", "sendemail", "owner@example.com");
    WriteProfileString(settings, "settings", "producturl", "https://orvia.example/");
    data.Message("Default", 1, "5551234", true);
    data.Message("Default", 2, "", true);
    const std::string selected = data.Message("Default", 3, "+44 20 7946 0018");
    data.Message("Default", 4, "5559876 Jane Doe");
    data.Message("Default", 5, "OUT OF AREA");
    data.Message("Sales", 1, "5550101");
    for (const char* log : {"Log 24-03-05.txt", "Log 24-03-06.txt", "Orders.txt"})
        test::WriteFile(Store().Logs() + log, "Log\r\nCreated by Orvia\r\n");

    MainWindowDialogs dialogs;
    // The OGM editor, the mailbox dialog and the call-flow map.
    InstallOgmEditorDialogs(dialogs);
    DesktopView view(lines, out, false, dialogs);
    MainDialog app({dispatcher, view, lines, playback}, false);
    app.Create();
    dispatcher.RunPending();
    MainWindow& window = *view.Window();
    if (SplashScreen* splash = view.Splash())
        splash->hide();
    const QSize mainSize(620, 460);

    window.Messages()->setCurrentItem(window.Messages()->RowOf(selected));
    window.BannerLine()->setText(BannerTexts().front());
    shots.Window("main_window", window, mainSize);

    const MainActions& a = window.Actions();
    window.show();
    for (const auto& [name, menu] : {std::pair<const char*, QMenu*>{"menu_file", a.fileMenu},
                                     {"menu_ogm", a.ogmMenu},
                                     {"menu_mailbox", a.mailboxMenu},
                                     {"menu_messages", a.messageMenu},
                                     {"menu_help", a.helpMenu},
                                     {"menu_links", a.linksMenu}})
        shots.Menu(name, *menu);

    window.Messages()->clearSelection();
    window.SetAnswering(false);
    shots.Window("main_window_idle_off", window, mainSize);
    window.SetAnswering(true);

    shots.Save("splash", SplashPicture());

    CallerIdFlash flash;
    flash.Flash(CallerIdLines("Line 1\r\n5559876\r\nJane Doe"));
    shots.Frameless("caller_id_flash", flash);

    CallLogDialog logs(&window);
    logs.Prepare();
    logs.List()->setCurrentRow(1);
    shots.Window("call_logs", logs);

    std::string address = LastEmailAddress();
    std::string note;
    EmailDialog email(&window, address, note);
    email.Prepare();
    email.NoteEdit()->setPlainText("Please call Jane back before noon.");
    shots.Window("send_email", email);

    {
        LProgressDialog progress(&window, "Compress Audio File", "Orvia");
        progress.SetPercent(40);
        shots.Window("compress_progress", progress.Widget());
    }

    AboutDialog about(&window);
    about.Prepare();
    shots.Window("about", about);

    OpenHelp(nullptr, kHelpContents);
    QWidget* help = HelpBrowser()->window();
    shots.Window("help_contents", *help, QSize(560, 480));
    OpenHelp(nullptr, kHelpMainWindow);
    shots.Window("help_main_window", *help, QSize(560, 480));
    CloseHelp();

    shots.MessageBox("confirm_stop", BackgroundQuestion());
    shots.MessageBox("rename_mailbox_warning", RenameMailboxWarning());
    shots.MessageBox("confirm_delete_mailbox", DeleteMailboxQuestion());
    shots.MessageBox("new_mailbox_refused", NewMailboxRefused("Default"));
    shots.MessageBox("rename_fail", RenameMailboxRefused("Sales", "Support"));
    shots.MessageBox("confirm_delete_log", DeleteLogQuestion());
    shots.MessageBox("no_line_devices",
                     NoLineDevicesMessage(Store().DataFolder() + "telephony.ini"));
    shots.MessageBox("service_administrator", ServiceNeedsAdministrator(true));
    shots.MessageBox("desktop_helper_failed",
                     DesktopHelperFailed("The print command (lp)", Store().Logs() + "Orders.txt"));

    const std::unique_ptr<QInputDialog> name =
        MakeTextDialog(&window, "Enter New Mailbox Name", "Mailbox 1");
    shots.Window("new_mailbox_name", *name);

    CaptureOgmEditor(shots, window);

    shots.Save("pictures", PictureSheet());
    CapturePartThree(shots, window, dispatcher);
    return shots.Failed() ? 1 : 0;
}

int Run(const QString& folder) {
    QDir().mkpath(folder);
    // A data folder at a fixed place, so the paths the dialogs show are the
    // same on every run; removed afterwards.
    const QString data = QDir(folder).absoluteFilePath("data");
    QDir(data).removeRecursively();
    const int status = Capture(folder, data.toStdString() + "/");
    QDir(data).removeRecursively();
    return status;
}

}  // namespace
}  // namespace orvia::test

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: orvia_screenshots OUTPUT_FOLDER\n";
        return 2;
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Fixed data means fixed texts: the C locale's date order.
    ::setenv("LC_ALL", "C.UTF-8", 1);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    QApplication::setFont(QFont("DejaVu Sans", 9));
    orvia::InitUiResources();
    return orvia::test::Run(QString::fromLocal8Bit(argv[1]));
}
