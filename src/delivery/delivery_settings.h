// Settings of settings.ini that e-mail and FTP delivery read at each use.
//
// Section "smtp": "server" (host or host:port), "security" ("none",
// "starttls" (the default), "tls"), "user", "password", "from".
// Section "settings": "producturl" and "makerurl", the two web page
// addresses of mail bodies and index pages (empty by default; an empty one
// leaves its line or link out).
#pragma once

#include <string>

namespace orvia {

enum class SmtpSecurity {
    None,      // plain SMTP
    StartTls,  // plain connection upgraded with STARTTLS, required
    Tls,       // TLS from the start (SMTPS)
};

struct MailSettings {
    std::string server;
    SmtpSecurity security = SmtpSecurity::StartTls;
    std::string user;
    std::string password;
    std::string from;
};

struct WebLinks {
    std::string product;  // the product's web page
    std::string maker;    // the maker's software page
};

// "none", "starttls" and "tls" in any case; anything else is StartTls, so a
// mistyped value never turns encryption off.
SmtpSecurity ParseSmtpSecurity(const std::string& text);

MailSettings ReadMailSettings();
WebLinks ReadWebLinks();

}  // namespace orvia
