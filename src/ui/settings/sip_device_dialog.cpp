#include "ui/settings/sip_device_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "platform/sip/sip_settings.h"
#include "platform/text/ascii_text.h"
#include "store/profile.h"
#include "ui/framework/help.h"
#include "ui/framework/standard_buttons.h"
#include "ui/settings/device_section.h"
#include "ui/settings/settings_messages.h"

namespace orvia {
namespace {

struct FieldSpec {
    const char* key;
    const char* label;
    const char* hint;  // shown while empty: what an empty field means
};

// The text fields in the order they are shown, grouped.
constexpr FieldSpec kNetwork[] = {
    {"name", "&Name:", "its address of record"},
    {"listen", "&Listen on (address:port):", "127.0.0.1:5060 (this computer only)"},
};
constexpr FieldSpec kAccount[] = {
    {"registrar", "&Registrar:", "none: direct calls only"},
    {"user", "&User:", ""},
    {"authuser", "&Authentication user:", "the user"},
    {"password", "Pass&word:", ""},
    {"displayname", "&Display name:", ""},
    {"outboundproxy", "&Outbound proxy:", "none"},
    {"natkeepalive", "NAT &keep-alive (seconds):", "25 with a registrar, 0: none"},
};
constexpr FieldSpec kCalls[] = {
    {"channels", "Simultaneous ca&lls (channels):", "1"},
    {"ringinterval", "R&ing interval (seconds):", "6"},
    {"acceptfrom", "A&ccept calls from:", "everyone (e.g. 192.168.1.0/24, 10.0.0.5)"},
};

constexpr FieldSpec kSecurity[] = {
    {"tlscert", "TLS &certificate file:", "none (PEM)"},
    {"tlskey", "TLS private &key file:", "none (PEM)"},
};

constexpr const char* kTransports[] = {"udp", "tcp", "tls"};
constexpr const char* kDtmfModes[] = {"auto", "rfc4733", "inband", "info"};
constexpr const char* kTlsVerify[] = {"true", "false"};
constexpr const char* kMediaEncryption[] = {"none", "srtp", "srtp-optional"};

// Longest value the configuration file keeps.
constexpr std::size_t kValueMax = kProfileValueMax;

void AddFields(QWidget* dialog, QFormLayout* form, const FieldSpec* begin, const FieldSpec* end) {
    for (const FieldSpec* spec = begin; spec != end; ++spec) {
        auto* edit = new QLineEdit(dialog);
        edit->setObjectName(spec->key);
        edit->setPlaceholderText(QString::fromUtf8(spec->hint));
        edit->setMaxLength(static_cast<int>(kValueMax));
        form->addRow(QObject::tr(spec->label), edit);
    }
}

QComboBox* Choices(QWidget* parent, const char* const* begin, const char* const* end) {
    auto* combo = new QComboBox(parent);
    for (const char* const* choice = begin; choice != end; ++choice)
        combo->addItem(QString::fromLatin1(*choice));
    return combo;
}

void Select(QComboBox* combo, const std::string& value, const char* fallback) {
    const int at = combo->findText(QString::fromStdString(AsciiLower(value)));
    combo->setCurrentIndex(at >= 0 ? at : combo->findText(fallback));
}

}  // namespace

SipDeviceDialog::SipDeviceDialog(QWidget* parent, std::string path, std::string section)
    : LPopupDialogBox(parent, kHelpSipDevice),
      path_(std::move(path)),
      section_(std::move(section)),
      transport_(Choices(this, std::begin(kTransports), std::end(kTransports))),
      dtmf_(Choices(this, std::begin(kDtmfModes), std::end(kDtmfModes))),
      tlsVerify_(Choices(this, std::begin(kTlsVerify), std::end(kTlsVerify))),
      mediaEncryption_(Choices(this, std::begin(kMediaEncryption), std::end(kMediaEncryption))) {
    setWindowTitle(tr("SIP Device Settings"));
    transport_->setObjectName("transport");
    dtmf_->setObjectName("dtmf");
    tlsVerify_->setObjectName("tlsverify");
    mediaEncryption_->setObjectName("mediaenc");

    auto* network = new QGroupBox(tr("Network"), this);
    auto* networkForm = new QFormLayout(network);
    AddFields(this, networkForm, std::begin(kNetwork), std::end(kNetwork));
    networkForm->addRow(tr("&Transport:"), transport_);

    auto* account = new QGroupBox(tr("Account (registration with a provider or PBX)"), this);
    auto* accountForm = new QFormLayout(account);
    AddFields(this, accountForm, std::begin(kAccount), std::end(kAccount));
    Field("password")->setEchoMode(QLineEdit::Password);

    auto* calls = new QGroupBox(tr("Calls"), this);
    auto* callsForm = new QFormLayout(calls);
    callsForm->addRow(tr("&Key tones (DTMF):"), dtmf_);
    AddFields(this, callsForm, std::begin(kCalls), std::end(kCalls));

    auto* security = new QGroupBox(tr("Security"), this);
    auto* securityForm = new QFormLayout(security);
    securityForm->addRow(tr("Check the server's TLS c&ertificate:"), tlsVerify_);
    AddFields(this, securityForm, std::begin(kSecurity), std::end(kSecurity));
    securityForm->addRow(tr("&Media encryption (SRTP):"), mediaEncryption_);

    auto* where =
        new QLabel(tr("Section [%1] of %2")
                       .arg(QString::fromStdString(section_), QString::fromStdString(path_)),
                   this);
    where->setWordWrap(true);
    where->setTextFormat(Qt::PlainText);
    QDialogButtonBox* buttons = MakeOkCancelButtons(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(network);
    layout->addWidget(account);
    layout->addWidget(calls);
    layout->addWidget(security);
    layout->addWidget(where);
    layout->addWidget(buttons);
    Field("acceptfrom")->setMinimumWidth(fontMetrics().averageCharWidth() * 46);
}

QLineEdit* SipDeviceDialog::Field(const char* key) const {
    return findChild<QLineEdit*>(QString::fromLatin1(key));
}

void SipDeviceDialog::OnInit() {
    const TelephonySettings current = ReadProfileSection(path_, section_);
    for (const std::string& key : sip::SipDeviceKeys()) {
        if (QLineEdit* edit = Field(key.c_str()))
            edit->setText(QString::fromStdString(SettingOf(current, key)));
    }
    Select(transport_, SettingOf(current, "transport"), "udp");
    const std::string dtmf = AsciiLower(SettingOf(current, "dtmf"));
    Select(dtmf_, dtmf == "rfc2833" ? "rfc4733" : dtmf, "auto");
    Select(tlsVerify_, SettingOf(current, "tlsverify"), "true");
    Select(mediaEncryption_, SettingOf(current, "mediaenc"), "none");
}

bool SipDeviceDialog::OnApply() {
    DeviceKeyValues values;
    for (const std::string& key : sip::SipDeviceKeys()) {
        if (key == "transport") {
            values.emplace_back(key, transport_->currentText().toStdString());
        } else if (key == "dtmf") {
            values.emplace_back(key, dtmf_->currentText().toStdString());
        } else if (key == "tlsverify") {
            values.emplace_back(key, tlsVerify_->currentText().toStdString());
        } else if (key == "mediaenc") {
            values.emplace_back(key, mediaEncryption_->currentText().toStdString());
        } else if (QLineEdit* edit = Field(key.c_str())) {
            // The password is kept as typed; blanks around any other value
            // mean nothing.
            const QString text = key == "password" ? edit->text() : edit->text().trimmed();
            values.emplace_back(key, text.toStdString());
        }
    }
    const std::string password = Field("password")->text().toStdString();
    if (password != TrimBlanks(password)) {
        // The configuration file drops blanks around values.
        CurrentQuestions().Ask(
            this, DeviceSettingsRefusedMessage("the password may not begin or end with a blank"));
        return false;
    }
    sip::SipDeviceSettings parsed;
    std::string error;
    if (!sip::ParseSipDeviceSettings(section_, MergedDeviceSection(path_, section_, "sip", values),
                                     &parsed, &error)) {
        CurrentQuestions().Ask(this, DeviceSettingsRefusedMessage(error));
        return false;
    }
    if (!WriteDeviceSection(path_, section_, "sip", values)) {
        CurrentQuestions().Ask(this, DeviceSettingsNotSavedMessage(path_));
        return false;
    }
    return true;
}

}  // namespace orvia
