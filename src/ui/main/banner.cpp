#include "ui/main/banner.h"

#include "delivery/delivery_settings.h"
#include "store/settings_store.h"

#ifndef ORVIA_VERSION
#error "ORVIA_VERSION is set by the ui library's build"
#endif

namespace orvia {

QString ProductTitle() {
    return QString("Orvia %1").arg(ORVIA_VERSION);
}

std::vector<QString> BannerTexts() {
    return {
        ProductTitle(),
        "Telephone answering machine and IVR",
        "Answers your lines, takes messages, mails them",
        "Click here for the Orvia links",
    };
}

std::vector<LinkEntry> LinkEntries() {
    const WebLinks web = ReadWebLinks();
    const SettingsStore& store = Store();
    return {
        {"Orvia &Home Page", web.product},         {"&Software Page", web.maker},
        {"Open &Data Folder", store.DataFolder()}, {"Open &Mailboxes Folder", store.MailBoxes()},
        {"Open &OGMs Folder", store.OGMs()},       {"Open &Logs Folder", store.Logs()},
    };
}

}  // namespace orvia
