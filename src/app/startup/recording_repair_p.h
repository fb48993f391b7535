// Start-up repair of the recordings a crash cut short.
//
// A recording that was being made when the program was killed has a header
// that counts up to four seconds less than its file holds. Before any line
// records again, every WAVE file in the MailBoxes folder (messages and
// greetings) is checked and repaired (see RepairRecordingHeader).
//
// Main thread, at start-up.
#pragma once

#include <string>
#include <vector>

namespace orvia {

// One text per recording repaired, or found in need of repair but left as it
// was because the repair failed, for the program's output; each is also
// reported as a program event.
std::vector<std::string> RepairCrashedRecordings(const std::string& mailboxesFolder);

}  // namespace orvia
