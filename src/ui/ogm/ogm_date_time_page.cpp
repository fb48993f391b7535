#include "ui/ogm/ogm_date_time_page.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

#include "engine/ogm_files.h"
#include "platform/text/ascii_text.h"
#include "store/encodings.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "ui/framework/help.h"
#include "ui/framework/key_writer.h"
#include "ui/framework/questions.h"
#include "ui/ogm/ogm_controls.h"
#include "ui/ogm/ogm_files_commands.h"
#include "ui/ogm/ogm_messages.h"

namespace orvia {
namespace {

constexpr const char* kDateTime = kOgmSectionDateTime;
constexpr const char* kCid = kOgmSectionCid;
constexpr int32_t kDayEnd = 86400;

// The caller-number conditions in the order shown, with the value each is
// stored as: the value the call flow applies for that condition.
struct ScanChoice {
    const char* label;
    int value;
};
constexpr ScanChoice kScanChoices[] = {
    {"starts with", 0}, {"contains", 1}, {"does not contain", 3}, {"doesn't start with", 2}};

QLineEdit* Edit(QWidget* parent, const char* name, int chars) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMinimumWidth(edit->fontMetrics().averageCharWidth() * chars);
    return edit;
}

QLabel* Label(QWidget* parent, const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

// A typed time of day: the seconds since midnight; nullopt for a text
// without digits or beyond the end of the day.
std::optional<int32_t> ReadTimeOfDay(const std::string& text) {
    if (text.find_first_of("0123456789") == std::string::npos)
        return std::nullopt;
    const int32_t seconds = ParseTimeOfDay(text);
    if (seconds < 0 || seconds > kDayEnd)
        return std::nullopt;
    return seconds;
}

}  // namespace

std::pair<std::string, std::string> SplitDateTime(int64_t value) {
    const std::string text = FormatDateTime(value);
    const std::size_t dash = text.find('-');
    if (dash == std::string::npos)
        return {text, ""};
    return {text.substr(0, dash), text.substr(dash + 1)};
}

std::optional<int64_t> JoinDateTime(const std::string& date, const std::string& time) {
    const std::string day(TrimBlanks(date));
    if (EqualsNoCase(day, "IMMEDIATE"))
        return kDateTimeImmediate;
    if (EqualsNoCase(day, "NEVER"))
        return kDateTimeNever;
    // Only a date with its three fields: a bare number would be read as
    // seconds since 1970.
    if (day.find('-') != std::string::npos || std::count(day.begin(), day.end(), '/') != 2)
        return std::nullopt;
    int32_t seconds = 0;
    if (!TrimBlanks(time).empty()) {
        const std::optional<int32_t> read = ReadTimeOfDay(std::string(TrimBlanks(time)));
        if (!read || *read >= kDayEnd)
            return std::nullopt;
        seconds = *read;
    }
    const std::optional<int64_t> value = ParseDateTime(day + "-" + FormatTimeOfDay(seconds));
    if (!value || *value == kDateTimeImmediate || *value == kDateTimeNever)
        return value;
    // A day the month does not have (31/02/24) would be read as a day of the
    // next month: refused instead.
    int typedDay = 0;
    int typedMonth = 0;
    int shownDay = 0;
    int shownMonth = 0;
    if (std::sscanf(day.c_str(), "%d/%d", &typedDay, &typedMonth) != 2 ||
        std::sscanf(FormatDateTime(*value).c_str(), "%d/%d", &shownDay, &shownMonth) != 2 ||
        typedDay != shownDay || typedMonth != shownMonth)
        return std::nullopt;
    return value;
}

const std::array<const char*, 7> OgmDateTimePage::kDayNames = {"Mon", "Tue", "Wed", "Thu",
                                                               "Fri", "Sat", "Sun"};
const std::array<int, 7> OgmDateTimePage::kDayBits = {2, 4, 8, 16, 32, 64, 1};

OgmDateTimePage::OgmDateTimePage(const std::string& name)
    : LPropertyPage(kHelpOgmDateTime),
      definition_(OgmDefinitionPath(name)),
      useDateTime_(new QCheckBox(tr("Use Date-Time Validity Checking"), this)),
      commenceDate_(Edit(this, "commenceDate", 11)),
      commenceTime_(Edit(this, "commenceTime", 9)),
      expireDate_(Edit(this, "expireDate", 11)),
      expireTime_(Edit(this, "expireTime", 9)),
      dayFrom_(Edit(this, "dayFrom", 9)),
      dayTo_(Edit(this, "dayTo", 9)),
      skip_(new QRadioButton(tr("Skip to OGM"), this)),
      refuse_(new QRadioButton(tr("Don't answer or allow this OGM"), this)),
      failOgm_(NameChoice(this, "failOgm", OgmNames())),
      useCallerId_(new QCheckBox(tr("Use Caller Number ID Validity Checking"), this)),
      scan_(new QComboBox(this)),
      callerId_(Edit(this, "callerId", 14)),
      cidSkip_(new QRadioButton(tr("skip to OGM"), this)),
      cidRefuse_(new QRadioButton(tr("don't allow."), this)),
      cidOgm_(NameChoice(this, "callerIdOgm", OgmNames())) {
    useDateTime_->setObjectName("useDateTime");
    skip_->setObjectName("skipOnFail");
    refuse_->setObjectName("refuseOnFail");
    useCallerId_->setObjectName("useCallerId");
    scan_->setObjectName("callerIdScan");
    cidSkip_->setObjectName("skipOnCallerId");
    cidRefuse_->setObjectName("refuseOnCallerId");
    for (const ScanChoice& choice : kScanChoices)
        scan_->addItem(tr(choice.label), choice.value);
    for (QLineEdit* date : {commenceDate_, expireDate_})
        date->setPlaceholderText("DD/MM/YY");
    for (QLineEdit* time : {commenceTime_, expireTime_, dayFrom_, dayTo_})
        time->setPlaceholderText("HH:MM:SS");

    auto* dateGroup = new QGroupBox(tr("Date and Time"), this);
    auto* dates = new QGridLayout(dateGroup);
    dates->addWidget(useDateTime_, 0, 0, 1, 4);
    dates->addWidget(Label(dateGroup, tr("&Commence Date:"), commenceDate_), 1, 0);
    dates->addWidget(commenceDate_, 1, 1);
    dates->addWidget(Label(dateGroup, tr("Time:"), commenceTime_), 1, 2);
    dates->addWidget(commenceTime_, 1, 3);
    dates->addWidget(Label(dateGroup, tr("&Expiration Date:"), expireDate_), 2, 0);
    dates->addWidget(expireDate_, 2, 1);
    dates->addWidget(Label(dateGroup, tr("Time:"), expireTime_), 2, 2);
    dates->addWidget(expireTime_, 2, 3);
    dates->addWidget(Label(dateGroup, tr("Time of Day &from:"), dayFrom_), 3, 0);
    dates->addWidget(dayFrom_, 3, 1);
    dates->addWidget(Label(dateGroup, tr("to:"), dayTo_), 3, 2);
    dates->addWidget(dayTo_, 3, 3);
    auto* dayRow = new QHBoxLayout;
    for (std::size_t i = 0; i < days_.size(); ++i) {
        days_[i] = new QCheckBox(tr(kDayNames[i]), dateGroup);
        days_[i]->setObjectName(kDayNames[i]);
        dayRow->addWidget(days_[i]);
    }
    dayRow->addStretch();
    dates->addLayout(dayRow, 4, 0, 1, 5);
    auto* fail = new QGridLayout;
    fail->addWidget(new QLabel(tr("Otherwise:"), dateGroup), 0, 0);
    fail->addWidget(skip_, 0, 1);
    fail->addWidget(failOgm_, 0, 2);
    fail->addWidget(refuse_, 1, 1, 1, 2);
    fail->setColumnStretch(2, 1);
    dates->addLayout(fail, 5, 0, 1, 5);
    dates->setColumnStretch(4, 1);
    auto* failChoice = new QButtonGroup(this);
    failChoice->addButton(skip_);
    failChoice->addButton(refuse_);

    auto* cidGroup = new QGroupBox(tr("Caller Number"), this);
    auto* cid = new QGridLayout(cidGroup);
    cid->addWidget(useCallerId_, 0, 0, 1, 4);
    cid->addWidget(new QLabel(tr("If the caller's number"), cidGroup), 1, 0);
    cid->addWidget(scan_, 1, 1);
    cid->addWidget(callerId_, 1, 2);
    auto* then = new QGridLayout;
    then->addWidget(new QLabel(tr("then"), cidGroup), 0, 0);
    then->addWidget(cidSkip_, 0, 1);
    then->addWidget(cidOgm_, 0, 2);
    then->addWidget(cidRefuse_, 1, 1, 1, 2);
    then->setColumnStretch(2, 1);
    cid->addLayout(then, 2, 0, 1, 4);
    cid->setColumnStretch(3, 1);
    auto* cidChoice = new QButtonGroup(this);
    cidChoice->addButton(cidSkip_);
    cidChoice->addButton(cidRefuse_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(dateGroup);
    layout->addWidget(cidGroup);
    layout->addStretch();

    for (QObject* control : {static_cast<QObject*>(useDateTime_), static_cast<QObject*>(skip_),
                             static_cast<QObject*>(refuse_), static_cast<QObject*>(useCallerId_),
                             static_cast<QObject*>(cidSkip_), static_cast<QObject*>(cidRefuse_)})
        Watch(control);
}

void OgmDateTimePage::OnInit() {
    const std::string& def = definition_;
    useDateTime_->setChecked(ReadProfileBool(def, kDateTime, "enabled", false));
    const auto [commenceDate, commenceTime] =
        SplitDateTime(ReadProfileDateTime(def, kDateTime, "commence", kDateTimeImmediate));
    commenceDate_->setText(QString::fromStdString(commenceDate));
    commenceTime_->setText(QString::fromStdString(commenceTime));
    const auto [expireDate, expireTime] =
        SplitDateTime(ReadProfileDateTime(def, kDateTime, "expire", kDateTimeNever));
    expireDate_->setText(QString::fromStdString(expireDate));
    expireTime_->setText(QString::fromStdString(expireTime));
    dayFrom_->setText(QString::fromStdString(
        FormatTimeOfDay(ReadProfileTimeOfDay(def, kDateTime, "todstart", 0))));
    dayTo_->setText(QString::fromStdString(
        FormatTimeOfDay(ReadProfileTimeOfDay(def, kDateTime, "todend", kDayEnd))));
    const int weekdays = ReadProfileInt(def, kDateTime, "weekdays", 127);
    for (std::size_t i = 0; i < days_.size(); ++i)
        days_[i]->setChecked((weekdays & kDayBits[i]) != 0);
    const bool refuse = ReadProfileInt(def, kDateTime, "failmode", 0) == 2;
    skip_->setChecked(!refuse);
    refuse_->setChecked(refuse);
    ShowName(failOgm_, ReadProfileString(def, kDateTime, "failogm", ""));

    useCallerId_->setChecked(ReadProfileBool(def, kCid, "enabled", false));
    const int index = scan_->findData(ReadProfileInt(def, kCid, "cidscanmode", 0));
    scan_->setCurrentIndex(index >= 0 ? index : 0);
    callerId_->setText(QString::fromStdString(ReadProfileString(def, kCid, "cid", "")));
    const bool cidRefuse = ReadProfileInt(def, kCid, "mode", 0) == 2;
    cidSkip_->setChecked(!cidRefuse);
    cidRefuse_->setChecked(cidRefuse);
    ShowName(cidOgm_, ReadProfileString(def, kCid, "ogm", ""));
}

void OgmDateTimePage::UpdateControls() {
    const bool dates = useDateTime_->isChecked();
    for (QWidget* control :
         {static_cast<QWidget*>(commenceDate_), static_cast<QWidget*>(commenceTime_),
          static_cast<QWidget*>(expireDate_), static_cast<QWidget*>(expireTime_),
          static_cast<QWidget*>(dayFrom_), static_cast<QWidget*>(dayTo_),
          static_cast<QWidget*>(skip_), static_cast<QWidget*>(refuse_)})
        control->setEnabled(dates);
    for (QCheckBox* day : days_)
        day->setEnabled(dates);
    failOgm_->setEnabled(dates && skip_->isChecked());
    const bool cid = useCallerId_->isChecked();
    for (QWidget* control : {static_cast<QWidget*>(scan_), static_cast<QWidget*>(callerId_),
                             static_cast<QWidget*>(cidSkip_), static_cast<QWidget*>(cidRefuse_)})
        control->setEnabled(cid);
    cidOgm_->setEnabled(cid && cidSkip_->isChecked());
}

bool OgmDateTimePage::OnApply() {
    // Everything typed is read first: a value that cannot be read keeps the
    // page open with nothing written.
    struct DateField {
        QLineEdit* date;
        QLineEdit* time;
        const char* what;
        int64_t value = 0;
    };
    DateField dates[] = {{commenceDate_, commenceTime_, "commencement date and time"},
                         {expireDate_, expireTime_, "expiration date and time"}};
    for (DateField& field : dates) {
        const std::optional<int64_t> value =
            JoinDateTime(field.date->text().toStdString(), field.time->text().toStdString());
        if (!value) {
            CurrentQuestions().Ask(
                this, InvalidDateTime(
                          field.what,
                          (field.date->text() + " " + field.time->text()).trimmed().toStdString()));
            field.date->setFocus();
            return false;
        }
        field.value = *value;
    }
    int32_t window[2] = {0, kDayEnd};
    QLineEdit* windowEdits[2] = {dayFrom_, dayTo_};
    for (int i = 0; i < 2; ++i) {
        const std::optional<int32_t> seconds = ReadTimeOfDay(windowEdits[i]->text().toStdString());
        if (!seconds) {
            CurrentQuestions().Ask(
                this, InvalidDateTime("time of day", windowEdits[i]->text().toStdString()));
            windowEdits[i]->setFocus();
            return false;
        }
        window[i] = *seconds;
    }
    int weekdays = 0;
    for (std::size_t i = 0; i < days_.size(); ++i) {
        if (days_[i]->isChecked())
            weekdays |= kDayBits[i];
    }

    KeyWriter writer(definition_);
    writer.Bool(kDateTime, "enabled", useDateTime_->isChecked());
    writer.DateTime(kDateTime, "commence", dates[0].value);
    writer.DateTime(kDateTime, "expire", dates[1].value);
    writer.TimeOfDay(kDateTime, "todstart", window[0]);
    writer.TimeOfDay(kDateTime, "todend", window[1]);
    writer.Int(kDateTime, "weekdays", weekdays);
    writer.Int(kDateTime, "failmode", skip_->isChecked() ? 1 : 2);
    writer.Text(kDateTime, "failogm", ChosenName(failOgm_));
    writer.Bool(kCid, "enabled", useCallerId_->isChecked());
    writer.Int(kCid, "cidscanmode", scan_->currentData().toInt());
    writer.Text(kCid, "cid", callerId_->text().toStdString());
    writer.Int(kCid, "mode", cidSkip_->isChecked() ? 1 : 2);
    writer.Text(kCid, "ogm", ChosenName(cidOgm_));
    return writer.Confirm(this);
}

}  // namespace orvia
