#include "ui/ogm/ogm_key_response_page.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "engine/ogm_files.h"
#include "platform/text/ascii_text.h"
#include "store/encodings.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "ui/framework/help.h"
#include "ui/framework/key_writer.h"
#include "ui/framework/number_edit.h"
#include "ui/framework/questions.h"
#include "ui/ogm/action_choice.h"
#include "ui/ogm/action_details.h"
#include "ui/ogm/ogm_controls.h"

namespace orvia {
namespace {

constexpr int kDigitKeys = 10;  // "1" ... "0"; then "#" and "*"

}  // namespace

const std::array<const char*, OgmKeyResponsePage::kKeys> OgmKeyResponsePage::kKeyNames = {
    "1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "#", "*"};

OgmKeyResponsePage::OgmKeyResponsePage(const std::string& name)
    : LPropertyPage(kHelpOgmKeyResponse),
      definition_(OgmDefinitionPath(name)),
      menu_(NamedRadio(this, tr("&Menu (single key press)"), "menuMode")),
      dataEntry_(NamedRadio(this, tr("&Data Entry (variable)"), "dataEntryMode")),
      digitKeys_(new QWidget(this)),
      entryGroup_(new QGroupBox(tr("Data Entry"), this)),
      varName_(new QLineEdit(entryGroup_)),
      maxDigits_(MakeNumberEdit(entryGroup_, NumberSign::Unsigned, 3)),
      limitRange_(NamedCheck(entryGroup_, tr("Limit range of acceptable values"), "limitRange")),
      minimum_(MakeNumberEdit(entryGroup_, NumberSign::Signed, 8)),
      maximum_(MakeNumberEdit(entryGroup_, NumberSign::Signed, 8)),
      limitList_(NamedCheck(entryGroup_, tr("Limit acceptable values using list (eg. passwords)"),
                            "limitList")),
      inclusive_(NamedRadio(entryGroup_, tr("Inclusive List"), "inclusive")),
      exclusive_(NamedRadio(entryGroup_, tr("Exclusive List"), "exclusive")),
      shortList_(NamedRadio(entryGroup_, tr("Short Comma Delimited List:"), "shortList")),
      listFile_(NamedRadio(entryGroup_, tr("Comma Delimited Text File:"), "listFile")),
      list_(new QLineEdit(entryGroup_)),
      listFilePath_(new QLineEdit(entryGroup_)),
      browse_(new QPushButton(tr("Browse File..."), entryGroup_)) {
    varName_->setObjectName("varName");
    maxDigits_->setObjectName("maxDigits");
    minimum_->setObjectName("minimum");
    maximum_->setObjectName("maximum");
    list_->setObjectName("list");
    listFilePath_->setObjectName("listFilePath");
    listFilePath_->setReadOnly(true);
    browse_->setObjectName("browseFile");

    auto* modes = new QGroupBox(tr("Response Type"), this);
    auto* modeLayout = new QHBoxLayout(modes);
    modeLayout->addWidget(menu_);
    modeLayout->addWidget(dataEntry_);
    modeLayout->addStretch();

    // The keys: the ten digits (menu mode), then "#" and "*" (both modes).
    auto* digits = new QGridLayout;
    auto* always = new QGridLayout;
    for (int key = 0; key < kKeys; ++key) {
        KeyRow& row = keys_[static_cast<std::size_t>(key)];
        row.label = new QLabel(tr("Press '%1'").arg(kKeyNames[key]), this);
        row.action = new QComboBox(this);
        row.details = new QPushButton(tr("Details"), this);
        const QString id = key < kDigitKeys ? QString(kKeyNames[key])
                                            : QString(key == kDigitKeys ? "Hash" : "Star");
        row.action->setObjectName("press" + id);
        row.details->setObjectName("details" + id);
        row.label->setBuddy(row.action);
        FillActionChoice(row.action, ActionOffer::Every);
        QGridLayout* grid = key < kDigitKeys ? digits : always;
        const int line = key < kDigitKeys ? key : key - kDigitKeys;
        grid->addWidget(row.label, line, 0);
        grid->addWidget(row.action, line, 1);
        grid->addWidget(row.details, line, 2);
        grid->setColumnStretch(1, 1);
        Watch(row.action);
        Watch(row.details);
    }

    // The lists of "#" and "*" line up with those of the digits.
    int labelWidth = 0;
    for (const KeyRow& row : keys_)
        labelWidth = std::max(labelWidth, row.label->sizeHint().width());
    for (const KeyRow& row : keys_)
        row.label->setMinimumWidth(labelWidth);

    auto* inclusion = new QButtonGroup(this);
    inclusion->addButton(inclusive_);
    inclusion->addButton(exclusive_);
    auto* source = new QButtonGroup(this);
    source->addButton(shortList_);
    source->addButton(listFile_);

    auto* entry = new QGridLayout(entryGroup_);
    auto* varLabel = new QLabel(tr("&Variable Name:"), entryGroup_);
    varLabel->setBuddy(varName_);
    auto* digitsLabel = new QLabel(tr("Maximum D&igits:"), entryGroup_);
    digitsLabel->setBuddy(maxDigits_);
    entry->addWidget(varLabel, 0, 0);
    entry->addWidget(varName_, 0, 1, 1, 2);
    entry->addWidget(digitsLabel, 1, 0);
    entry->addWidget(maxDigits_, 1, 1);
    entry->addWidget(new QLabel(tr("(1 - 16)"), entryGroup_), 1, 2);
    entry->addWidget(limitRange_, 2, 0, 1, 4);
    auto* minLabel = new QLabel(tr("Minimum Value:"), entryGroup_);
    minLabel->setBuddy(minimum_);
    auto* maxLabel = new QLabel(tr("Maximum Value:"), entryGroup_);
    maxLabel->setBuddy(maximum_);
    auto* range = new QHBoxLayout;
    range->addWidget(minLabel);
    range->addWidget(minimum_);
    range->addSpacing(12);
    range->addWidget(maxLabel);
    range->addWidget(maximum_);
    range->addStretch();
    entry->addLayout(range, 3, 0, 1, 4);
    entry->addWidget(limitList_, 4, 0, 1, 4);
    auto* inclusionRow = new QHBoxLayout;
    inclusionRow->addWidget(inclusive_);
    inclusionRow->addWidget(exclusive_);
    inclusionRow->addStretch();
    entry->addLayout(inclusionRow, 5, 0, 1, 4);
    entry->addWidget(shortList_, 6, 0, 1, 2);
    entry->addWidget(list_, 6, 2, 1, 2);
    entry->addWidget(listFile_, 7, 0, 1, 2);
    entry->addWidget(listFilePath_, 7, 2);
    entry->addWidget(browse_, 7, 3);
    entry->setColumnStretch(2, 1);

    // One of the two is shown at a time (menu mode until the page is
    // filled): the sheet takes its size from the page as it will look.
    entryGroup_->hide();
    digitKeys_->setObjectName("digitKeys");
    digitKeys_->setLayout(digits);
    digits->setContentsMargins(0, 0, 0, 0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(modes);
    layout->addWidget(digitKeys_);
    layout->addWidget(entryGroup_);
    layout->addLayout(always);
    layout->addStretch();
    const QFontMetrics metrics = fontMetrics();
    keys_[0].action->setMinimumWidth(metrics.averageCharWidth() * 30);
    list_->setMinimumWidth(metrics.averageCharWidth() * 24);

    for (QObject* control : {static_cast<QObject*>(menu_), static_cast<QObject*>(dataEntry_),
                             static_cast<QObject*>(limitRange_), static_cast<QObject*>(limitList_),
                             static_cast<QObject*>(shortList_), static_cast<QObject*>(listFile_),
                             static_cast<QObject*>(browse_)})
        Watch(control);
}

void OgmKeyResponsePage::OnInit() {
    const std::string& def = definition_;
    const auto text = [&](const char* key, const char* fallback) {
        return QString::fromStdString(ReadProfileString(def, kOgmSectionIvr, key, fallback));
    };
    const auto flag = [&](const char* key, bool fallback) {
        return ReadProfileBool(def, kOgmSectionIvr, key, fallback);
    };
    const bool entry = EqualsNoCase(text("type", "").toStdString(), "enternumber");
    menu_->setChecked(!entry);
    dataEntry_->setChecked(entry);
    for (int key = 0; key < kKeys; ++key)
        ShowAction(KeyAction(key), ReadProfileString(def, kOgmSectionIvr, KeyOf(key), ""),
                   "noresponse");
    varName_->setText(text("varname", "number"));
    maxDigits_->setText(QString::number(ReadProfileInt(def, kOgmSectionIvr, "maxdigits", 4)));
    limitRange_->setChecked(flag("varlimit", false));
    minimum_->setText(QString::number(ReadProfileInt(def, kOgmSectionIvr, "varlimitmin", 0)));
    maximum_->setText(QString::number(ReadProfileInt(def, kOgmSectionIvr, "varlimitmax", 10000)));
    limitList_->setChecked(flag("varlimitlistenabled", false));
    const bool exclude = flag("varlimitlistexclude", false);
    inclusive_->setChecked(!exclude);
    exclusive_->setChecked(exclude);
    const bool isFile = flag("varlimitlistisfile", false);
    shortList_->setChecked(!isFile);
    listFile_->setChecked(isFile);
    list_->setText(text("varlimitlist", ""));
    listFilePath_->setText(text("varlimitlistfile", ""));
}

void OgmKeyResponsePage::UpdateControls() {
    const bool entry = dataEntry_->isChecked();
    digitKeys_->setVisible(!entry);
    entryGroup_->setVisible(entry);
    for (const KeyRow& row : keys_)
        row.details->setEnabled(ChosenHasArguments(row.action));
    const bool range = limitRange_->isChecked();
    minimum_->setEnabled(range);
    maximum_->setEnabled(range);
    const bool list = limitList_->isChecked();
    for (QWidget* control : {static_cast<QWidget*>(inclusive_), static_cast<QWidget*>(exclusive_),
                             static_cast<QWidget*>(shortList_), static_cast<QWidget*>(listFile_)})
        control->setEnabled(list);
    list_->setEnabled(list && shortList_->isChecked());
    listFilePath_->setEnabled(list && listFile_->isChecked());
    browse_->setEnabled(list && listFile_->isChecked());
}

void OgmKeyResponsePage::OnCommand(QObject* control) {
    if (control == browse_) {
        BrowseListFile();
        return;
    }
    for (int key = 0; key < kKeys; ++key) {
        if (control == KeyDetails(key))
            EditActionDetails(this, definition_, KeyOf(key), ChosenAction(KeyAction(key)));
    }
}

void OgmKeyResponsePage::BrowseListFile() {
    const std::optional<QString> chosen = CurrentQuestions().AskOpenFile(
        this, {"Select List File", listFilePath_->text(), "Text Files (*.txt *.TXT *.Txt)"});
    if (!chosen)
        return;
    // Written at once, not on OK.
    KeyWriter writer(definition_);
    writer.Text(kOgmSectionIvr, "varlimitlistfile", chosen->toStdString());
    if (writer.Confirm(this))
        listFilePath_->setText(*chosen);
}

bool OgmKeyResponsePage::OnApply() {
    KeyWriter writer(definition_);
    const char* ivr = kOgmSectionIvr;
    writer.Text(ivr, "type", dataEntry_->isChecked() ? "enternumber" : "menu");
    for (int key = 0; key < kKeys; ++key)
        writer.Text(ivr, KeyOf(key), ChosenActionValue(KeyAction(key)));
    writer.Text(ivr, "varname", varName_->text().toStdString());
    writer.Int(ivr, "maxdigits", NumberOf(maxDigits_));
    writer.Bool(ivr, "varlimit", limitRange_->isChecked());
    writer.Int(ivr, "varlimitmin", NumberOf(minimum_));
    writer.Int(ivr, "varlimitmax", NumberOf(maximum_));
    writer.Bool(ivr, "varlimitlistenabled", limitList_->isChecked());
    writer.Bool(ivr, "varlimitlistexclude", exclusive_->isChecked());
    writer.Bool(ivr, "varlimitlistisfile", listFile_->isChecked());
    writer.Text(ivr, "varlimitlist", list_->text().toStdString());
    return writer.Confirm(this);
}

}  // namespace orvia
