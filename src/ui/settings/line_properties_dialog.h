// LinePropertiesDlg, "Line Properties": one line of settings.ini (section
// "line%d" of its index): its name, the telephony device it answers, its own
// answering OGM and whether its caller ids flash. "Configure TAPI Device
// Hardware..." opens the selected device's own settings. OK refuses a device
// that cannot carry voice calls (the name is written already).
//
// Main thread only.
#pragma once

#include <string>

#include "ui/framework/popup_dialog_box.h"
#include "ui/settings/telephony_config.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace orvia {

class LinePropertiesDlg : public LPopupDialogBox {
    Q_OBJECT

public:
    LinePropertiesDlg(QWidget* parent, int lineIndex);

    void OnInit() override;
    bool OnApply() override;
    void UpdateControls() override;
    void OnCommand(QObject* control) override;

    QLineEdit* Name() const { return name_; }
    QComboBox* Device() const { return device_; }
    QRadioButton* DefaultOgm() const { return defaultOgm_; }
    QRadioButton* OverrideOgm() const { return overrideOgm_; }
    QComboBox* Ogm() const { return ogm_; }
    QCheckBox* NoCallerIdFlash() const { return noCidFlash_; }
    QPushButton* Configure() const { return configure_; }

private:
    void FillDevices(int select);

    int index_;
    std::string section_;
    TelephonyConfig config_;
    QLineEdit* name_;
    QComboBox* device_;
    QRadioButton* defaultOgm_;
    QRadioButton* overrideOgm_;
    QComboBox* ogm_;
    QCheckBox* noCidFlash_;
    QPushButton* configure_;
};

}  // namespace orvia
