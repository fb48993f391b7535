// LSetDevicesPage, the settings sheet's "Devices" page: the configured
// telephone lines with Add, Remove and Properties (the line dialog), adding
// a SIP device to the telephony configuration, the sound devices and levels
// for playing messages and announcing calls, and what a fax tone does.
//
// Adding, removing or editing a line writes "state"/"restart" = "true" so
// the lines are set up again when the sheet closes.
//
// Main thread only.
#pragma once

#include "ui/framework/property_page.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace orvia {

class LDBEdit;

class LSetDevicesPage : public LPropertyPage {
    Q_OBJECT

public:
    explicit LSetDevicesPage(QWidget* parent = nullptr);

    void OnInit() override;
    bool OnApply() override;
    void UpdateControls() override;
    void OnCommand(QObject* control) override;

    QListWidget* Lines() const { return lines_; }
    QPushButton* AddButton() const { return add_; }
    QPushButton* RemoveButton() const { return remove_; }
    QPushButton* PropertiesButton() const { return properties_; }
    QPushButton* AddSipButton() const { return addSip_; }
    QComboBox* PlayDevice() const { return playDevice_; }
    LDBEdit* PlayVolume() const { return playVolume_; }
    QComboBox* AnnounceDevice() const { return announceDevice_; }
    LDBEdit* AnnounceVolume() const { return announceVolume_; }
    QRadioButton* FaxHandoff() const { return faxHandoff_; }
    QRadioButton* FaxDial() const { return faxDial_; }
    QLineEdit* FaxDigits() const { return faxDigits_; }

private:
    void FillLines();
    void AddLine();
    void RemoveLine();
    void EditLine();
    int SelectedLine() const;

    QListWidget* lines_;
    QPushButton* add_;
    QPushButton* remove_;
    QPushButton* properties_;
    QPushButton* addSip_;
    QComboBox* playDevice_;
    LDBEdit* playVolume_;
    QComboBox* announceDevice_;
    LDBEdit* announceVolume_;
    QRadioButton* faxHandoff_;
    QRadioButton* faxDial_;
    QLineEdit* faxDigits_;
};

}  // namespace orvia
