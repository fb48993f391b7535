#include "delivery/delivery_settings.h"

#include "platform/diagnostics/diagnostics.h"
#include "platform/text/ascii_text.h"
#include "store/profile.h"
#include "store/settings_store.h"

namespace orvia {

SmtpSecurity ParseSmtpSecurity(const std::string& text) {
    if (EqualsNoCase(text, "none"))
        return SmtpSecurity::None;
    if (EqualsNoCase(text, "tls"))
        return SmtpSecurity::Tls;
    return SmtpSecurity::StartTls;
}

MailSettings ReadMailSettings() {
    const std::string& file = Store().SettingsFile();
    MailSettings settings;
    settings.server = ReadProfileString(file, "smtp", "server", "");
    settings.security = ParseSmtpSecurity(ReadProfileString(file, "smtp", "security", "starttls"));
    settings.user = ReadProfileString(file, "smtp", "user", "");
    settings.password = ReadProfileString(file, "smtp", "password", "");
    RegisterSecret(settings.password);
    settings.from = ReadProfileString(file, "smtp", "from", "");
    return settings;
}

WebLinks ReadWebLinks() {
    const std::string& file = Store().SettingsFile();
    WebLinks links;
    links.product = ReadProfileString(file, "settings", "producturl", "");
    links.maker = ReadProfileString(file, "settings", "makerurl", "");
    return links;
}

}  // namespace orvia
