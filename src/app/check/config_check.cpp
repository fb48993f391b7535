#include "app/check/config_check.h"

#include "app/startup/installed_data_p.h"
#include "delivery/mail_address.h"
#include "delivery/server_address.h"
#include "engine/line_audio.h"
#include "platform/text/ascii_text.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"

namespace orvia {
namespace {

// An integer setting and the range the settings sheet offers for it.
struct IntRange {
    const char* section;
    const char* key;
    int32_t def;
    int32_t low;
    int32_t high;
    const char* effect;  // what a value outside the range does
};

// Level settings (dB) and the range the settings sheet offers.
struct DbRange {
    const char* key;
    int low;
    int high;
    const char* effect;
};

const IntRange kIntRanges[] = {
    {"settings", "nrings", 3, 2, 20,
     "the settings sheet offers 2 to 20 rings (calls are answered at that ring all the same)"},
    {"settings", "audiohighpass", 0, 0, 1500,
     "the settings sheet offers 0 to 1500 Hz; the engine uses the value as it is"},
    {"autohours", "duringmode", 2, 0, 2, "modes are 0, 1 and 2; any other counts as 0"},
    {"autohours", "aftermode", 0, 0, 2, "modes are 0, 1 and 2; any other counts as 0"},
    {"transfer", "confirmedrepeat", 10, 0, 255,
     "the engine keeps the repeats of the transfer question within 0 to 255"},
};

const DbRange kDbRanges[] = {
    {"audiogain", -8, 8, "the settings sheet offers -8 to +8 dB"},
    {"audiocompressorthres", -18, 0, "the settings sheet offers -18 to 0 dB"},
    {"recthres", -127, 0, "a level above 0 dB is never reached: every recording stops"},
};

class ConfigChecker {
public:
    explicit ConfigChecker(const CheckOptions& options) : options_(options) {}

    std::vector<CheckFinding> Run() {
        findings_ = CheckTelephony(options_);
        CheckSettings();
        CheckMail();
        CheckCallFlow();
        CheckPrompts();
        return std::move(findings_);
    }

private:
    void Add(FindingSeverity severity, const std::string& file, const std::string& section,
             const std::string& key, const std::string& text) {
        findings_.push_back({severity, file, section, key, text});
    }

    void CheckSettings() {
        const std::string& file = Store().SettingsFile();
        for (const IntRange& range : kIntRanges) {
            if (!ProfileHasKey(file, range.section, range.key))
                continue;
            const int32_t value = ReadProfileInt(file, range.section, range.key, range.def);
            if (value < range.low || value > range.high)
                Add(FindingSeverity::Warning, file, range.section, range.key,
                    std::to_string(value) + " is outside " + std::to_string(range.low) + " to " +
                        std::to_string(range.high) + ": " + range.effect);
        }
        for (const DbRange& range : kDbRanges) {
            if (!ProfileHasKey(file, "settings", range.key))
                continue;
            const int value = ReadProfileDb(file, "settings", range.key, 0);
            if (value < range.low || value > range.high)
                Add(FindingSeverity::Warning, file, "settings", range.key,
                    std::to_string(value) + " dB is outside " + std::to_string(range.low) + " to " +
                        std::to_string(range.high) + " dB: " + range.effect);
        }
        if (ProfileHasKey(file, "settings", "maxrectime") &&
            ReadProfileDuration(file, "settings", "maxrectime", 300000) <= 0)
            Add(FindingSeverity::Warning, file, "settings", "maxrectime",
                "is not above 0: messages cannot be recorded");
        if (!ReadProfileBool(file, "state", "on", true))
            Add(FindingSeverity::Warning, file, "state", "on",
                "answering is switched off: no call is answered");
    }

    void CheckMail() {
        const std::string& settings = Store().SettingsFile();
        const std::string server = ReadProfileString(settings, "smtp", "server", "");
        const std::string security =
            AsciiLower(ReadProfileString(settings, "smtp", "security", "starttls"));
        for (const std::string& name : MailingMailboxes()) {
            const std::string mbx = Store().MailBoxes() + name + ".mbx";
            const std::string address = ReadProfileString(mbx, "mbx", "emailaddress", "");
            if (!address.empty() && !SmtpRecipient(address))
                Add(FindingSeverity::Error, mbx, "mbx", "emailaddress",
                    "\"" + address + "\" is not a plain mail address: nothing is mailed");
            if (server.empty())
                Add(FindingSeverity::Error, settings, "smtp", "server",
                    "mailbox \"" + name +
                        "\" sends e-mail, but no SMTP server is set: nothing "
                        "is mailed");
        }
        if (!server.empty() && !ParseServerAddress(server, security == "tls" ? 465 : 25))
            Add(FindingSeverity::Error, settings, "smtp", "server",
                "\"" + server + "\" is not a host or host:port: nothing is mailed");
        if (security != "none" && security != "starttls" && security != "tls")
            Add(FindingSeverity::Warning, settings, "smtp", "security",
                "\"" + security + "\" is not none, starttls or tls: starttls is used");
    }

    std::vector<std::string> MailingMailboxes() {
        std::vector<std::string> names;
        for (const CallFlowMailbox& mailbox : analysis_.mailboxes) {
            if (mailbox.email)
                names.push_back(mailbox.name);
        }
        return names;
    }

    void CheckCallFlow() {
        for (const CallFlowFinding& finding : analysis_.findings)
            Add(finding.severity, finding.file, finding.section, finding.key, finding.text);
    }

    void CheckPrompts() {
        for (const SystemPromptText& prompt : SystemPromptTexts()) {
            const std::string path = Store().SystemPrompts() + prompt.name + ".wav";
            if (std::optional<std::string> why = UnplayableReason(path, false))
                Add(FindingSeverity::Warning, path, "", "",
                    "the system prompt does not play (" + *why +
                        "): callers hear nothing where it belongs");
        }
    }

    const CheckOptions& options_;
    const CallFlowAnalysis analysis_ = AnalyzeCallFlow();
    std::vector<CheckFinding> findings_;
};

}  // namespace

std::vector<CheckFinding> CheckConfiguration(const CheckOptions& options) {
    return ConfigChecker(options).Run();
}

std::string FormatFinding(const CheckFinding& finding, const std::string& dataFolder) {
    std::string file = finding.file;
    if (!dataFolder.empty() && file.rfind(dataFolder, 0) == 0)
        file.erase(0, dataFolder.size());
    std::string line = std::string(FindingSeverityName(finding.severity)) + ": " + file;
    if (!finding.section.empty())
        line += " [" + finding.section + "]";
    if (!finding.key.empty())
        line += " " + finding.key;
    return line + ": " + finding.text;
}

}  // namespace orvia
