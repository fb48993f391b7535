#include "app/startup/installed_data_p.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <numbers>

#include "audio/pcm_file_sink.h"
#include "audio/wave_source.h"
#include "engine/ogm_files.h"
#include "platform/files/file_modes.h"
#include "platform/files/file_replacement.h"
#include "platform/files/text_file.h"
#include "platform/telephony/telephony.h"
#include "speech/speech_file.h"
#include "store/profile.h"

namespace orvia {
namespace {

// The record tone: 1000 Hz for 0.4 s at half of full scale, with 10 ms ramps
// so it starts and ends without a click.
constexpr double kToneHz = 1000.0;
constexpr int kToneFrames = kInstalledAudioRate * 2 / 5;
constexpr int kRampFrames = kInstalledAudioRate / 100;
constexpr double kToneAmplitude = 0.5 * kFullScale16;

// The default OGM: its greeting, then the caller's message goes to the
// mailbox "Default" straight after the tone (the greeting already asks for
// it); "*" during the greeting opens remote access.
constexpr const char* kDefaultGreeting =
    "Hello. There is no one available to take your call right now. "
    "Please leave your name, your number and a short message after the tone, "
    "and we will call you back as soon as we can.";

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// Writes the tone into file; true when every frame reached it.
bool WriteToneInto(const std::string& file) {
    {
        const LSoundSink sink = CreatePCMWaveSink(file, kInstalledAudioRate, 1, 16, 0);
        if (IsInvalid(sink))
            return false;
        std::vector<int32_t> samples(kToneFrames);
        for (int i = 0; i < kToneFrames; ++i) {
            const int edge = std::min(i, kToneFrames - 1 - i);
            const double ramp = edge < kRampFrames ? static_cast<double>(edge) / kRampFrames : 1.0;
            const double phase = 2.0 * std::numbers::pi * kToneHz * i / kInstalledAudioRate;
            samples[static_cast<std::size_t>(i)] =
                static_cast<int32_t>(std::lround(kToneAmplitude * ramp * std::sin(phase)));
        }
        sink->Write(samples.data(), kToneFrames);
    }
    const LSoundSource check = OpenWaveSource(file);
    return !IsInvalid(check) && check->GetLength() == kToneFrames;
}

bool Speak(const std::string& text, const std::string& path) {
    SpeechRequest request;
    request.text = text;
    return SynthesizeToFile(request, path, kInstalledAudioRate) == SpeechResult::Ok;
}

// Adds path to the report as made or failed.
void Note(InstalledDataReport& report, const std::string& path, bool ok) {
    (ok ? report.created : report.failed).push_back(path);
}

// The definition and the mailbox are each written in one replacement: a
// start that is ended (or a disk that fills) part-way leaves no half file,
// which the next start would take for one the user made and keep.
bool WriteDefaultOgmDefinition(const std::string& path) {
    return WriteProfileKeys(path, kOgmSectionIvr,
                            {{"type", "menu"},
                             {"answer", "true"},
                             {"wait", "0"},
                             {"repeat", "0"},
                             {"playcomplete", "mailbox"},
                             {"playcompletembx", kDefaultMailboxName},
                             {"playcompletembxmessage", "false"},
                             {"press*", "mailboxaccess"}});
}

bool WriteDefaultMailbox(const std::string& path) {
    return WriteProfileKeys(path, "mbx",
                            {{"msgno", "0"}, {"remoteaccess", "false"}, {"accesscode", ""}});
}

void InstallPrompts(const SettingsStore& store, InstalledDataReport& report) {
    for (const SystemPromptText& prompt : SystemPromptTexts()) {
        const std::string path = store.SystemPrompts() + prompt.name + ".wav";
        if (Exists(path))
            continue;
        Note(report, path, *prompt.text == '\0' ? WriteRecordTone(path) : Speak(prompt.text, path));
    }
}

// The OGM is made when its definition is missing; its recording and notes
// are added where they are missing.
void InstallDefaultOgm(const SettingsStore& store, InstalledDataReport& report) {
    const std::string base = store.OGMs() + kDefaultOgmName;
    const std::string definition = base + ".ini";
    if (Exists(definition))
        return;
    const std::string recording = base + ".wav";
    if (!Exists(recording))
        Note(report, recording, Speak(kDefaultGreeting, recording));
    const std::string notes = base + ".txt";
    if (!Exists(notes))
        Note(report, notes, ReplaceTextFile(notes, std::string(kDefaultGreeting) + "\r\n"));
    Note(report, definition, WriteDefaultOgmDefinition(definition));
}

// One line that only this computer can reach: a SIP line listening on the
// loopback address when the SIP provider is built in, else a line of the
// scripted-caller provider.
void InstallTelephonyConfig(const SettingsStore& store, InstalledDataReport& report) {
    const std::string path = store.DataFolder() + kTelephonyConfigName;
    if (Exists(path))
        return;
    const std::string text = HasTelephonyProvider("sip")
                                 ? "[local]\ntype=sip\nname=Local SIP line on 127.0.0.1:5060\n"
                                   "listen=127.0.0.1:5060\n"
                                 : "[simulated]\ntype=simulated\nname=Simulated Line\n";
    // The line's account password goes here: private like the other INI files.
    Note(report, path, ReplaceTextFile(path, text, FileAccess::Private));
}

void InstallDefaultMailbox(const SettingsStore& store, InstalledDataReport& report) {
    const std::string path = store.MailBoxes() + kDefaultMailboxName + ".mbx";
    if (!Exists(path))
        Note(report, path, WriteDefaultMailbox(path));
}

}  // namespace

const std::vector<SystemPromptText>& SystemPromptTexts() {
    static const std::vector<SystemPromptText> prompts = {
        {"InvalidOption", "Sorry, that is not one of the choices. Please try again."},
        {"InvalidNumber", "Sorry, that number is not valid. Please try again."},
        {"GoodBye", "Thank you for calling. Goodbye."},
        {"TransferQuery",
         "You have a call. To take the call, press 1. To refuse it, press any other key."},
        {"LeaveMessage",
         "Please leave your message after the tone. When you have finished, simply hang up."},
        {"RecordTone", ""},
        {"EnterAccessCode", "Please enter your access code, followed by the hash key."},
        {"InvalidAccessCode",
         "That access code is not valid. Please enter your access code again, followed by "
         "the hash key."},
        {"MailBoxMessageMenu",
         "To hear this message again, press 1. For the next message, press 2. To delete this "
         "message, press 5. For the mailbox settings, press 8. To end the call, press 9. For "
         "another mailbox, press star."},
        {"NoMoreMessagesMenu",
         "There are no more messages. To hear this again, press 1. For the mailbox settings, "
         "press 8. To end the call, press 9. For another mailbox, press star."},
        {"MailBoxSetup",
         "Mailbox settings. To hear your greeting, press 1. To record a new greeting, press 2, "
         "speak after the tone, and hang up when you have finished. To end the call, press 9. "
         "For another mailbox, press star."},
        {"ForwardMessage",
         "This is your answering machine. You have new messages. To hear them, press 1. To "
         "end this call, press 2."},
    };
    return prompts;
}

const char* DefaultGreetingText() {
    return kDefaultGreeting;
}

bool WriteRecordTone(const std::string& path) {
    std::string temporary;
    const int fd = CreateReplacement(path, FileAccess::Private, &temporary);
    if (fd < 0)
        return false;
    ::close(fd);
    if (WriteToneInto(temporary) && std::rename(temporary.c_str(), path.c_str()) == 0)
        return true;
    ::unlink(temporary.c_str());
    return false;
}

InstalledDataReport InstallMissingData(const SettingsStore& store) {
    InstalledDataReport report;
    store.CreateFolders();
    InstallPrompts(store, report);
    InstallDefaultOgm(store, report);
    InstallDefaultMailbox(store, report);
    InstallTelephonyConfig(store, report);
    return report;
}

}  // namespace orvia
