// IVRCMain: the "mailbox" action (greeting, record tone, message recording),
// recording into files, and what happens to a message when the call ends.
#include "engine/ivr_main.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "audio/pcm_file_sink.h"
#include "engine/mailbox_files.h"
#include "line/vline.h"
#include "platform/diagnostics/diagnostics.h"
#include "platform/files/text_file.h"
#include "platform/time/clock.h"
#include "store/encodings.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"

namespace orvia {
namespace {

// Recordings of this length or shorter are discarded (3 s).
constexpr int64_t kShortestKeptMessage = 30000;
// Silence after which the line ends a recording (5 s).
constexpr int32_t kRecordSilenceTicks = 50000;
// The format of every recording the engine makes.
constexpr int32_t kRecordRate = 8000;
constexpr uint32_t kRecordChannels = 1;
constexpr int kRecordBits = 16;

}  // namespace

bool IVRCMain::LeaveMessage(const std::string& file, std::string_view section,
                            std::string_view key) {
    // The mailbox name is a file name inside MailBoxes; one that would leave
    // the folder names no mailbox, and the action is not handled.
    std::optional<std::string> name =
        ExpandFileName(ReadArgument(file, section, key, "mbx"), Context());
    if (!name)
        return false;
    SetCurrentMailbox(MailboxPath(*name));
    if (!ReadProfileBool(file, section, std::string(key) + "mbxmessage", true)) {
        state_ = IVRState::MessageTone;
        PlayPrompt("RecordTone");
        return true;
    }
    state_ = IVRState::MailboxGreeting;
    LSoundSource greeting = OpenWave(GreetingPath(*name));
    if (IsInvalid(greeting))
        PlayPrompt("LeaveMessage");
    else
        PlaySource(greeting);
    return true;
}

void IVRCMain::StartMessageRecording() {
    HandOffRecordPath();
    state_ = IVRState::RecordingMessage;
    const std::string name = CurrentMailboxName();
    const int32_t number =
        NormalizeMessageNumber(ReadProfileInt(currentMailbox_, kMailboxSection, "msgno", 0));
    // The next message gets the next number. When the counter cannot be
    // stored, the next caller would overwrite this message: nothing is
    // recorded.
    if (!WriteProfileInt(currentMailbox_, kMailboxSection, "msgno",
                         (number + 1) % kMessageNumberLimit)) {
        ReportError("engine", LineLabel() + ": the message counter of " + currentMailbox_ +
                                  " cannot be written; no message is recorded and the call "
                                  "is ended");
        Goodbye();
        return;
    }
    const std::string wave = MessagePath(name, number, ".wav");
    const std::string ini = MessagePath(name, number, ".ini");
    // A number that has come round again replaces the old message whole: no
    // key of the old message ("compressed", "sentemail", ...) stays behind in
    // the new one.
    RemoveFileIfPresent(ini);

    // The message is born with its ".ini" file, before the line may report
    // anything about the recording.
    const std::string callerNumber = Line() ? Line()->CallerNumber() : std::string();
    const std::string callerName = Line() ? Line()->CallerName() : std::string();
    // One new file with all four values rather than four in a row. Without
    // it the recording would be no message at all (listed, mailed and
    // uploaded by its ".ini"): the caller is not asked to speak in vain.
    if (!WriteProfileKeys(ini, kMessageSection,
                          {{"read", FormatBool(false)},
                           {"datetime", FormatDateTime(LocalNow())},
                           {"cid", callerNumber},
                           {"cidname", callerName}})) {
        ReportError("engine", LineLabel() + ": the message file " + ini +
                                  " cannot be written; no message is recorded and the call "
                                  "is ended");
        Goodbye();
        return;
    }
    recordPath_ = wave;
    WriteProfileBool(Store().SettingsFile(), "state", "newmessages", true);
    std::string notice = ini;
    Send(kMsgMessageStored, notice);
    RecordTo(wave);
}

void IVRCMain::RecordTo(const std::string& path) {
    const std::string& settings = Store().SettingsFile();
    const int detectDb =
        std::clamp(ReadProfileDb(settings, "settings", "recthres", -20), -127, 127);
    const int32_t maxTicks = ReadProfileDuration(settings, "settings", "maxrectime", 300000);
    // The old file is unlinked rather than overwritten: a player still
    // reading it (another line playing a greeting or an old message) keeps
    // its audio whole.
    RemoveFileIfPresent(path);
    errno = 0;
    LSoundSink sink = CreatePCMWaveSink(path, kRecordRate, kRecordChannels, kRecordBits, 0);
    if (IsInvalid(sink)) {
        const int error = errno;
        ReportError("engine", LineLabel() + ": cannot record into " + path + ": " +
                                  (error != 0 ? std::strerror(error) : "it cannot be created") +
                                  "; the call is ended");
    }
    heardSinceOgm_ = true;  // the caller is recorded
    if (Line())
        Line()->Record(sink, maxTicks, static_cast<int8_t>(detectDb), kRecordSilenceTicks);
}

void IVRCMain::FinishMessage() {
    const std::string& wave = recordPath_;
    if (wave.empty())
        return;
    const std::string ini = MessageIniPath(wave);
    if (RecordingLengthTicks(wave) <= kShortestKeptMessage) {
        // Too short: both files go. Files already gone (the owner deleted the
        // message meanwhile) are not reported again.
        const bool present = FileIsPresent(wave) || FileIsPresent(ini);
        if (!RemoveFileIfPresent(wave))
            return;
        RemoveFileIfPresent(ini);
        std::string notice = ini;
        if (present)
            Send(kMsgMessageDeleted, notice);
        return;
    }
    // A message deleted while it was recorded is not brought back by its
    // delivery flags.
    if (!FileIsPresent(ini))
        return;
    const std::string& mailbox = currentMailbox_;
    const bool email = ReadProfileBool(mailbox, kMailboxSection, "sendemail", false);
    const bool ftp = ReadProfileBool(mailbox, kMailboxSection, "sendftp", false);
    // A flag that cannot be written (a full disk) leaves the message kept
    // but not delivered: that is reported rather than passed over.
    bool flagged = true;
    if (email || ftp) {
        flagged = WriteProfileBool(mailbox, kMailboxSection, "unsentmessages", true) && flagged;
        if (email)
            flagged = WriteProfileBool(ini, kMessageSection, "sentemail", false) && flagged;
        if (ftp)
            flagged = WriteProfileBool(ini, kMessageSection, "sentftp", false) && flagged;
        Post(kMsgStartDelivery);
    }
    if (ReadProfileBool(mailbox, kMailboxSection, "forwardtel", false)) {
        flagged = WriteProfileKeys(mailbox, kMailboxSection,
                                   {{"unforwardedmessages", FormatBool(true)},
                                    {"forwardattempts", "0"},
                                    {"forwardedattempttime", "0"}}) &&
                  flagged;
        flagged = WriteProfileBool(Store().SettingsFile(), "state", "unforwardedmessages", true) &&
                  flagged;
        Post(kMsgForwardingCheck);
    }
    if (!flagged)
        ReportError("engine", LineLabel() + ": the message " + wave +
                                  " is kept, but its delivery flags could not all be written "
                                  "(in " +
                                  mailbox + " and " + ini +
                                  "); it may not be mailed, uploaded or forwarded");
}

void IVRCMain::SetCurrentMailbox(std::string path) {
    // The profile layer caches nothing, so the old file needs no flush.
    currentMailbox_ = std::move(path);
}

std::string IVRCMain::CurrentMailboxName() const {
    return MailboxNameOf(currentMailbox_);
}

}  // namespace orvia
