// The "Date-Time/CID" page of the OGM properties: when the OGM may be used
// (commencement and expiry, the daily window, the weekdays) and what happens
// when it may not, and the caller-number condition with what happens when
// it holds.
//
// Dates and times are shown and read in the text forms of the INI files:
// a date as DD/MM/YY (YY in place of the year for a date in every year),
// IMMEDIATE or NEVER, a time as HH:MM:SS (9am and 17:30 are read too). A
// date or time that cannot be read keeps the page open with a message.
//
// Main thread only.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "ui/framework/property_page.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace orvia {

class OgmDateTimePage : public LPropertyPage {
    Q_OBJECT

public:
    // The weekdays in the order shown, Monday first, and their bits.
    static const std::array<const char*, 7> kDayNames;
    static const std::array<int, 7> kDayBits;

    explicit OgmDateTimePage(const std::string& name);

    QCheckBox* UseDateTime() const { return useDateTime_; }
    QLineEdit* CommenceDate() const { return commenceDate_; }
    QLineEdit* CommenceTime() const { return commenceTime_; }
    QLineEdit* ExpireDate() const { return expireDate_; }
    QLineEdit* ExpireTime() const { return expireTime_; }
    QLineEdit* DayFrom() const { return dayFrom_; }
    QLineEdit* DayTo() const { return dayTo_; }
    QCheckBox* Day(int index) const { return days_[static_cast<std::size_t>(index)]; }
    QRadioButton* SkipOnFail() const { return skip_; }
    QRadioButton* RefuseOnFail() const { return refuse_; }
    QComboBox* FailOgm() const { return failOgm_; }
    QCheckBox* UseCallerId() const { return useCallerId_; }
    QComboBox* CallerIdScan() const { return scan_; }
    QLineEdit* CallerIdText() const { return callerId_; }
    QRadioButton* SkipOnCallerId() const { return cidSkip_; }
    QRadioButton* RefuseOnCallerId() const { return cidRefuse_; }
    QComboBox* CallerIdOgm() const { return cidOgm_; }

protected:
    void OnInit() override;
    bool OnApply() override;
    void UpdateControls() override;

private:
    std::string definition_;
    QCheckBox* useDateTime_;
    QLineEdit* commenceDate_;
    QLineEdit* commenceTime_;
    QLineEdit* expireDate_;
    QLineEdit* expireTime_;
    QLineEdit* dayFrom_;
    QLineEdit* dayTo_;
    std::array<QCheckBox*, 7> days_{};
    QRadioButton* skip_;
    QRadioButton* refuse_;
    QComboBox* failOgm_;
    QCheckBox* useCallerId_;
    QComboBox* scan_;
    QLineEdit* callerId_;
    QRadioButton* cidSkip_;
    QRadioButton* cidRefuse_;
    QComboBox* cidOgm_;
};

// The date and the time of a date-time value as the page shows them:
// ("IMMEDIATE", "") for 0, ("NEVER", "") for 2147483647, else the two halves
// of "DD/MM/YY-HH:MM:SS".
std::pair<std::string, std::string> SplitDateTime(int64_t value);
// The value of a typed date and time; nullopt when the date cannot be read,
// or a time is given but cannot be read. An empty time is midnight.
std::optional<int64_t> JoinDateTime(const std::string& date, const std::string& time);

}  // namespace orvia
