// The files of mailboxes and their messages in the MailBoxes folder, and the
// one rule that tells which files belong to which mailbox (the engine, the
// delivery and the main window all go by it):
//   <name>.mbx             the mailbox definition and state, section "mbx"
//   <name> OGM.wav         the mailbox's personal greeting
//   <name> ICM<nnnnnn>.wav the recording of message number nnnnnn
//   <name> ICM<nnnnnn>.ini its properties, section "message"
// Mailbox names must pass IsSafeName before they get here.
//
// Any thread: the functions only build names and read the folder.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvia {

inline constexpr const char* kMailboxSection = "mbx";
inline constexpr const char* kMessageSection = "message";
// Message numbers run from 0 to 999999 and then start again at 0.
inline constexpr int32_t kMessageNumberLimit = 1000000;

// <MailBoxes><name>.mbx
std::string MailboxPath(std::string_view name);
// The mailbox name of a ".mbx" path: its file name without the extension.
std::string MailboxNameOf(std::string_view mbxPath);
// <MailBoxes><name> OGM.wav
std::string GreetingPath(std::string_view name);
// <MailBoxes><name> ICM<number as six digits><extension>
std::string MessagePath(std::string_view name, int32_t number, std::string_view extension);
// A message's recording: its ".ini" path with ".wav" (and the reverse).
std::string MessageAudioPath(std::string_view messageIni);
std::string MessageIniPath(std::string_view messageAudio);

// The number of a message file of the mailbox: for a file name (without
// folder) "<name> ICM<digits><extension>", the digits ("000012"); empty for
// any other name. The mailbox name and " ICM" match without regard to ASCII
// case; at least one digit and nothing else must stand between " ICM" and the
// extension, so the files of a mailbox whose name merely begins with
// "<name> ICM" (say "Sales ICM2", or "Sales ICMfoo") never count as messages
// of "Sales". An empty mailbox name has no messages.
std::string MessageNumberText(std::string_view fileName, std::string_view mailboxName,
                              std::string_view extension);
bool IsMessageFileOf(std::string_view fileName, std::string_view mailboxName,
                     std::string_view extension);

// The full paths of the mailbox's message files with the extension (".ini",
// the messages themselves, or ".wav") in the MailBoxes folder, sorted by name
// (so by message number).
std::vector<std::string> ListMessageFiles(std::string_view mailboxName,
                                          std::string_view extension = ".ini");

// A stored "msgno" kept within 0..999999 (a damaged value counts modulo the
// limit, so it can never name a file with more than six digits).
int32_t NormalizeMessageNumber(int32_t number);

// The length of a wave file in ticks of 0.1 ms: with L frames at rate R,
// (L div R) x 10000 + ((L mod R) x 10000) div R. 0 when it cannot be opened.
int64_t RecordingLengthTicks(const std::string& path);

}  // namespace orvia
