#include "delivery/forwarding_scheduler.h"

#include "platform/files/folder_listing.h"
#include "platform/thread/thread_affinity.h"
#include "platform/time/clock.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"

namespace orvia {
namespace {

constexpr const char* kMailbox = "mbx";

// True when the mailbox's next forwarding attempt is due at now.
bool AttemptDue(const std::string& mailboxFile, int64_t now) {
    const int32_t attempts = ReadProfileInt(mailboxFile, kMailbox, "forwardattempts", 0);
    const int32_t maxAttempts = ReadProfileInt(mailboxFile, kMailbox, "maxforwardattempts", 2);
    // In 64 bits, so no wait in the file can overflow the comparison.
    const int64_t waitSeconds =
        int64_t{ReadProfileInt(mailboxFile, kMailbox, "forwardfailwaitmins", 20)} * 60;
    const int64_t lastAttempt = ReadProfileInt(mailboxFile, kMailbox, "forwardedattempttime", 0);
    return maxAttempts > attempts && now - waitSeconds > lastAttempt;
}

// Records the attempt, then places the call.
void PlaceCall(ForwardingLine& line, const std::string& mailboxFile, int64_t now) {
    const int32_t attempts = ReadProfileInt(mailboxFile, kMailbox, "forwardattempts", 0);
    const std::string number = ReadProfileString(mailboxFile, kMailbox, "forwardnumber", "");
    if (!WriteProfileInt(mailboxFile, kMailbox, "forwardedattempttime", now) ||
        !WriteProfileInt(mailboxFile, kMailbox, "forwardattempts", int64_t{attempts} + 1))
        return;
    line.MakeCall(number);
}

}  // namespace

bool RunForwardingScheduler(ForwardingHost& host) {
    ORVIA_ASSERT_MAIN_THREAD();
    const std::string& settings = Store().SettingsFile();
    if (!ReadProfileBool(settings, "state", "unforwardedmessages", false))
        return false;
    ForwardingLine* line = host.FirstLine();
    if (line == nullptr)
        return true;
    if (line->IsOpen() && line->IsBusy())
        return true;

    bool pending = false;
    const std::string& folder = Store().MailBoxes();
    for (const std::string& name : ListFolderFiles(folder, ".mbx")) {
        const std::string mailboxFile = folder + name;
        host.SetForwardMailbox(mailboxFile);
        if (!ReadProfileBool(mailboxFile, kMailbox, "forwardtel", false) ||
            !ReadProfileBool(mailboxFile, kMailbox, "unforwardedmessages", false))
            continue;
        pending = true;
        const int64_t now = LocalNow();
        if (AttemptDue(mailboxFile, now)) {
            PlaceCall(*line, mailboxFile, now);
            return true;
        }
    }
    WriteProfileBool(settings, "state", "unforwardedmessages", pending);
    return pending;
}

}  // namespace orvia
