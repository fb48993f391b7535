// SimulatedDeviceDialog, "Simulated Device Settings": the settings of one
// simulated line device of the telephony configuration (its name, whether
// it carries voice, whether it opens, and whether fax and data
// applications take calls handed to them).
//
// Main thread only.
#pragma once

#include <string>

#include "ui/framework/popup_dialog_box.h"

class QCheckBox;
class QLineEdit;

namespace orvia {

class SimulatedDeviceDialog : public LPopupDialogBox {
    Q_OBJECT

public:
    SimulatedDeviceDialog(QWidget* parent, std::string path, std::string section);

    void OnInit() override;
    bool OnApply() override;

    QLineEdit* Name() const { return name_; }
    QCheckBox* Voice() const { return voice_; }
    QCheckBox* Opens() const { return opens_; }
    QCheckBox* FaxApplication() const { return fax_; }
    QCheckBox* DataApplication() const { return data_; }

private:
    std::string path_;
    std::string section_;
    QLineEdit* name_;
    QCheckBox* voice_;
    QCheckBox* opens_;
    QCheckBox* fax_;
    QCheckBox* data_;
};

}  // namespace orvia
