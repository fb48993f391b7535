#include "ui/settings/settings_sheet.h"

#include "ui/framework/pictures.h"
#include "ui/settings/auto_hours_page.h"
#include "ui/settings/devices_page.h"
#include "ui/settings/email_page.h"
#include "ui/settings/general_page.h"
#include "ui/settings/startup_registration.h"

namespace orvia {

SettingsSheet::SettingsSheet(QWidget* parent, SettingsServices services)
    : LPropertySheet(parent, tr("Settings")),
      general_(new LGeneralPage(services.startup ? *services.startup : SystemStartup())),
      devices_(new LSetDevicesPage),
      autoHours_(new LAutoHoursPage),
      transfer_(new LTransferPage(std::move(services.chooseFormat))),
      email_(new LEmailPage) {
    setWindowIcon(Picture(kPictureWindowIcon));
    AddPage(general_, tr("General"));
    AddPage(devices_, tr("Devices"));
    AddPage(autoHours_, tr("AutoHours"));
    AddPage(transfer_, tr("Transfer/Record"));
    AddPage(email_, tr("E-mail"));
}

void OpenSettingsSheet(QWidget* parent) {
    SettingsSheet sheet(parent);
    sheet.Run();
}

}  // namespace orvia
