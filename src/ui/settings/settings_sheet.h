// The property sheet "Settings": the pages General, Devices, AutoHours,
// Transfer/Record and E-mail, modal over the main window, without Apply.
// Pages write settings.ini themselves each time they are left (also when
// the sheet is then cancelled); a page never shown is neither read nor
// written.
//
// Main thread only.
#pragma once

#include "ui/framework/property_page.h"
#include "ui/settings/transfer_page.h"

namespace orvia {

class LAutoHoursPage;
class LEmailPage;
class LGeneralPage;
class LSetDevicesPage;
class StartupRegistration;

// What the pages use besides settings.ini: the run-at-logon and service
// registration and the compression format chooser.
struct SettingsServices {
    StartupRegistration* startup = nullptr;  // null: the system's
    FormatChooser chooseFormat;              // empty: ChooseWaveFormat
};

class SettingsSheet : public LPropertySheet {
    Q_OBJECT

public:
    enum Page { General, Devices, AutoHours, TransferRecord, Email };

    SettingsSheet(QWidget* parent, SettingsServices services = {});

    LGeneralPage* GeneralPage() const { return general_; }
    LSetDevicesPage* DevicesPage() const { return devices_; }
    LAutoHoursPage* AutoHoursPage() const { return autoHours_; }
    LTransferPage* TransferPage() const { return transfer_; }
    LEmailPage* EmailPage() const { return email_; }

private:
    LGeneralPage* general_;
    LSetDevicesPage* devices_;
    LAutoHoursPage* autoHours_;
    LTransferPage* transfer_;
    LEmailPage* email_;
};

// The settings command of the main window: runs the sheet.
void OpenSettingsSheet(QWidget* parent);

}  // namespace orvia
