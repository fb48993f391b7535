// The data an installation provides: the twelve system prompts the engine
// plays, the OGM "Default Answering Message", the mailbox "Default" and a
// telephony configuration with one line this computer alone can reach (a SIP
// line on 127.0.0.1:5060 when the SIP provider is registered, else a
// scripted-caller line), so a fresh installation answers at once.
//
// Everything is created only where it is missing and nothing that exists is
// ever overwritten, so the program can run this at every start: a fresh data
// folder gets a working answering machine, and prompts, greetings or
// definitions the user changed stay as they are. Spoken files are 8000 Hz
// mono 16-bit WAVE files made by the speech engine; each appears under its
// name only once complete.
//
// Any thread may call this; it blocks for the speech synthesis (about a
// second for everything).
#pragma once

#include <string>
#include <vector>

#include "store/settings_store.h"

namespace orvia {

inline constexpr const char* kDefaultMailboxName = "Default";
// The telephony configuration in the data folder.
inline constexpr const char* kTelephonyConfigName = "telephony.ini";
// Frames per second of the installed recordings (the line's rate).
inline constexpr int kInstalledAudioRate = 8000;

struct SystemPromptText {
    const char* name;  // file name without ".wav"
    const char* text;  // what is spoken; empty for the record tone
};

// The prompts in the order the engine's documentation lists them.
const std::vector<SystemPromptText>& SystemPromptTexts();

// The spoken greeting of the default OGM.
const char* DefaultGreetingText();

struct InstalledDataReport {
    std::vector<std::string> created;  // full paths of the files made
    std::vector<std::string> failed;   // full paths that could not be made
};

// Writes the record tone: a short beep, 8000 Hz mono 16-bit. False when the
// file cannot be written.
bool WriteRecordTone(const std::string& path);

// Creates the missing installed data in the store's folders (the folders
// themselves are created when missing). The telephony providers must be
// registered first.
InstalledDataReport InstallMissingData(const SettingsStore& store);

}  // namespace orvia
