// The "Key Response" page of the OGM properties: menu or data-entry mode,
// the action of each key with its "Details", and the number entry with its
// range and list checks.
//
// In menu mode the ten digit keys are shown and the data-entry controls
// hidden; in data-entry mode the reverse; "#" and "*" are shown in both. The
// range fields are enabled only while "Limit range of acceptable values" is
// ticked, the list controls only while the list box is ticked.
//
// Main thread only.
#pragma once

#include <array>
#include <string>

#include "ui/framework/property_page.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace orvia {

class OgmKeyResponsePage : public LPropertyPage {
    Q_OBJECT

public:
    // The keys in the order shown: "1" ... "9", "0", "#", "*".
    static constexpr int kKeys = 12;
    static const std::array<const char*, kKeys> kKeyNames;

    explicit OgmKeyResponsePage(const std::string& name);

    QRadioButton* MenuMode() const { return menu_; }
    QRadioButton* DataEntryMode() const { return dataEntry_; }
    // key: index into kKeyNames.
    QComboBox* KeyAction(int key) const { return keys_[static_cast<std::size_t>(key)].action; }
    QPushButton* KeyDetails(int key) const { return keys_[static_cast<std::size_t>(key)].details; }
    QLabel* KeyLabel(int key) const { return keys_[static_cast<std::size_t>(key)].label; }
    QLineEdit* VariableName() const { return varName_; }
    QLineEdit* MaximumDigits() const { return maxDigits_; }
    QCheckBox* LimitRange() const { return limitRange_; }
    QLineEdit* Minimum() const { return minimum_; }
    QLineEdit* Maximum() const { return maximum_; }
    QCheckBox* LimitList() const { return limitList_; }
    QRadioButton* Inclusive() const { return inclusive_; }
    QRadioButton* Exclusive() const { return exclusive_; }
    QRadioButton* ShortList() const { return shortList_; }
    QRadioButton* ListFile() const { return listFile_; }
    QLineEdit* ListEdit() const { return list_; }
    QLineEdit* ListFileEdit() const { return listFilePath_; }
    QPushButton* BrowseFile() const { return browse_; }
    QGroupBox* DataEntryGroup() const { return entryGroup_; }
    QWidget* DigitKeys() const { return digitKeys_; }

protected:
    void OnInit() override;
    bool OnApply() override;
    void UpdateControls() override;
    void OnCommand(QObject* control) override;

private:
    struct KeyRow {
        QLabel* label = nullptr;
        QComboBox* action = nullptr;
        QPushButton* details = nullptr;
    };
    static std::string KeyOf(int key) { return std::string("press") + kKeyNames[key]; }
    void BrowseListFile();

    std::string definition_;
    QRadioButton* menu_;
    QRadioButton* dataEntry_;
    std::array<KeyRow, kKeys> keys_;
    QWidget* digitKeys_;
    QGroupBox* entryGroup_;
    QLineEdit* varName_;
    QLineEdit* maxDigits_;
    QCheckBox* limitRange_;
    QLineEdit* minimum_;
    QLineEdit* maximum_;
    QCheckBox* limitList_;
    QRadioButton* inclusive_;
    QRadioButton* exclusive_;
    QRadioButton* shortList_;
    QRadioButton* listFile_;
    QLineEdit* list_;
    QLineEdit* listFilePath_;
    QPushButton* browse_;
};

}  // namespace orvia
