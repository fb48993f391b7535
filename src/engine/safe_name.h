// The rule that keeps names built from caller input inside their folder.
#pragma once

#include <string_view>

namespace orvia {

// True when name may be used as a file name inside one of the data folders
// (an OGM, mailbox or special log name) without reaching outside it: it holds
// no "/" and no NUL and is neither "." nor "..". Names that fail are treated
// as names that do not exist. The same check applies to each caller value
// (caller id, entered digits, plug-in output) put into an administrator's
// full path.
bool IsSafeName(std::string_view name);

}  // namespace orvia
