// The "OGM Properties" sheet: the pages "Message", "Key Response",
// "Date-Time/CID" and "Advanced" over one OGM's definition file, opening on
// the first. The pages write their keys only when the sheet is confirmed (OK
// or Apply); Cancel writes nothing that the pages hold (the argument
// dialogs, the list file and new audio are written when they are chosen).
//
// Main thread only.
#pragma once

#include <string>

#include "ui/framework/property_page.h"
#include "ui/ogm/audio_services.h"

namespace orvia {

class OgmAdvancedPage;
class OgmDateTimePage;
class OgmKeyResponsePage;
class OgmMessagePage;

class OgmPropertiesSheet : public LPropertySheet {
    Q_OBJECT

public:
    OgmPropertiesSheet(QWidget* parent, const std::string& name, const AudioServices& services);

    OgmMessagePage* Message() const { return message_; }
    OgmKeyResponsePage* KeyResponse() const { return keys_; }
    OgmDateTimePage* DateTime() const { return dateTime_; }
    OgmAdvancedPage* Advanced() const { return advanced_; }

private:
    OgmMessagePage* message_;
    OgmKeyResponsePage* keys_;
    OgmDateTimePage* dateTime_;
    OgmAdvancedPage* advanced_;
};

// Runs the sheet for the OGM; true when it was closed with OK.
bool RunOgmProperties(QWidget* parent, const std::string& name, const AudioServices& services);

}  // namespace orvia
