#include "settings_fixtures.h"

#include "app/startup/telephony_providers_p.h"
#include "line/line_application.h"

namespace orvia::test {

SettingsTest::SettingsTest()
    : startup_(LogonAutostart({home_.Path() + "config/", "/usr/bin/orvia"}),
               ServiceRegistration({home_.Path() + "units/", "/usr/bin/orvia", true}, systemctl_)) {
    RegisterTelephonyProviders();
}

void SettingsTest::Telephony(const std::string& text) const {
    ASSERT_TRUE(WriteFile(TelephonyPath(), text));
}

std::string SettingsTest::TelephonyPath() const {
    return TelephonyConfigPath();
}

}  // namespace orvia::test
