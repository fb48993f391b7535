// The files of mailboxes and their messages in the MailBoxes folder:
//   <name>.mbx             the mailbox definition and state, section "mbx"
//   <name> OGM.wav         the mailbox's personal greeting
//   <name> ICM<nnnnnn>.wav the recording of message number nnnnnn
//   <name> ICM<nnnnnn>.ini its properties, section "message"
// Mailbox names must pass IsSafeName before they get here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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
// The start of every message file name of a mailbox: "<name> ICM".
std::string MessageNamePrefix(std::string_view name);
// A message file's path with its extension replaced (".wav" of an ".ini").
std::string MessageFileWithExtension(const std::string& path, std::string_view extension);

// A stored "msgno" kept within 0..999999 (a damaged value counts modulo the
// limit, so it can never name a file with more than six digits).
int32_t NormalizeMessageNumber(int32_t number);

// The length of a wave file in ticks of 0.1 ms: with L frames at rate R,
// (L div R) x 10000 + ((L mod R) x 10000) div R. 0 when it cannot be opened.
int64_t RecordingLengthTicks(const std::string& path);

}  // namespace orvia
