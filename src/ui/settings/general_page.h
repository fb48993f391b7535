// LGeneralPage, the settings sheet's "General" page: start at logon and as
// a service, when calls are answered (fixed rings or the toll saver),
// bringing the window forward and flashing caller ids, and the level, high
// pass and compressor of audio played to the line. Written to section
// "settings" each time the page is left.
//
// Main thread only.
#pragma once

#include "ui/framework/property_page.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace orvia {

class LDBEdit;
class StartupRegistration;

class LGeneralPage : public LPropertyPage {
    Q_OBJECT

public:
    explicit LGeneralPage(StartupRegistration& startup, QWidget* parent = nullptr);

    void OnInit() override;
    bool OnApply() override;
    void UpdateControls() override;

    QCheckBox* RunAtLogon() const { return runAtLogon_; }
    QCheckBox* RunAsService() const { return service_; }
    QRadioButton* FixedRings() const { return fixedRings_; }
    QLineEdit* RingCount() const { return rings_; }
    QRadioButton* TollSaver() const { return tollSaver_; }
    QCheckBox* OpenWindow() const { return openWindow_; }
    QCheckBox* CallerIdFlash() const { return cidFlash_; }
    LDBEdit* Gain() const { return gain_; }
    QLineEdit* HighPass() const { return highPass_; }
    LDBEdit* Compressor() const { return compressor_; }

private:
    void ApplyStartup();

    StartupRegistration& startup_;
    QCheckBox* runAtLogon_;
    QCheckBox* service_;
    QRadioButton* fixedRings_;
    QLineEdit* rings_;
    QRadioButton* tollSaver_;
    QCheckBox* openWindow_;
    QCheckBox* cidFlash_;
    LDBEdit* gain_;
    QLineEdit* highPass_;
    LDBEdit* compressor_;
};

}  // namespace orvia
