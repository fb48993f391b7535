#include "web/sign_in_limit.h"

#include "platform/diagnostics/diagnostics.h"
#include "platform/text/utf8_text.h"
#include "store/call_log.h"
#include "store/date_text.h"
#include "store/settings_store.h"

namespace orvia {
namespace {

// A user name as typed, made safe for a log line.
std::string Shown(const std::string& user) {
    const std::string shown = PrintableUtf8(user, 64);
    return shown.empty() ? "(none)" : shown;
}

}  // namespace

AttemptRecord SignInRecord() {
    return {Store().SettingsFile(), kWebSection, "wrongsignintimes", "signinlockeduntil"};
}

bool SignInLocked(int64_t now) {
    return IsAttemptLocked(SignInRecord(), now);
}

bool NoteRefusedSignIn(const std::string& user, const std::string& client, bool whileLocked,
                       const WebSettings& settings, int64_t now) {
    const AttemptRecord record = SignInRecord();
    const std::string who = "\"" + Shown(user) + "\" from " + client;
    if (whileLocked) {
        WriteDailyLog("Web " + client + " [Sign-in Locked] " + Shown(user));
        ReportWarning("web", "sign-in as " + who +
                                 " refused: sign-in is locked after too many wrong sign-ins");
        return true;
    }
    WriteDailyLog("Web " + client + " [Wrong Sign-in] " + Shown(user));
    const bool locked =
        CountWrongAttempt(record, now, settings.wrongSignInsPerHour, settings.signInLockMinutes);
    if (locked)
        ReportWarning("web", "sign-in as " + who + " refused: wrong user name or password; " +
                                 std::to_string(settings.wrongSignInsPerHour) +
                                 " wrong sign-ins within an hour: sign-in is refused until " +
                                 FormatTimeText(now + int64_t{settings.signInLockMinutes} * 60));
    else
        ReportWarning("web", "sign-in as " + who + " refused: wrong user name or password (" +
                                 std::to_string(RecentWrongAttempts(record, now)) + " of " +
                                 std::to_string(settings.wrongSignInsPerHour) +
                                 " within an hour before sign-in is locked)");
    return locked;
}

}  // namespace orvia
