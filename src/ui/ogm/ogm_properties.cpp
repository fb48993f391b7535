#include "ui/ogm/ogm_properties.h"

#include "platform/thread/thread_affinity.h"
#include "ui/framework/pictures.h"
#include "ui/ogm/ogm_advanced_page.h"
#include "ui/ogm/ogm_date_time_page.h"
#include "ui/ogm/ogm_key_response_page.h"
#include "ui/ogm/ogm_message_page.h"

namespace orvia {

OgmPropertiesSheet::OgmPropertiesSheet(QWidget* parent, const std::string& name,
                                       const AudioServices& services)
    : LPropertySheet(parent, "OGM Properties", ApplyButton::With, PageWrites::OnConfirm),
      message_(new OgmMessagePage(name, services)),
      keys_(new OgmKeyResponsePage(name)),
      dateTime_(new OgmDateTimePage(name)),
      advanced_(new OgmAdvancedPage(name)) {
    ORVIA_ASSERT_MAIN_THREAD();
    setWindowIcon(Picture(kPictureWindowIcon));
    AddPage(message_, tr("Message"));
    AddPage(keys_, tr("Key Response"));
    AddPage(dateTime_, tr("Date-Time/CID"));
    AddPage(advanced_, tr("Advanced"));
}

bool RunOgmProperties(QWidget* parent, const std::string& name, const AudioServices& services) {
    OgmPropertiesSheet sheet(parent, name, services);
    return sheet.Run();
}

}  // namespace orvia
