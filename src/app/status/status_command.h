// `orvia status [--json]`: asks the instance running on the data folder for
// its status (program_status.h) over the single-instance socket and prints
// it, as text or as one JSON object.
//
// Exit status: 0 when an instance answered, 3 when none runs on this data
// folder, 1 when one runs but gave no usable answer, 2 for a wrong command
// line.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace orvia {

inline constexpr int kStatusNotRunning = 3;

// args are what follows "status" on the command line.
int StatusCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace orvia
