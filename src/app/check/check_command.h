// `orvia check`: checks the configuration of the data folder without running
// it (config_check.h) and prints one line per finding, "error: FILE [SECTION]
// KEY: what is wrong and what it does", files relative to the data folder,
// then a summary line.
//
// Exit status: 1 when there are errors, 0 when there are none (warnings
// alone leave it 0), 2 for a wrong command line.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace orvia {

// args are what follows "check" on the command line.
int CheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace orvia
