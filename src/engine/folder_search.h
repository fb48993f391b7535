// A directory search of the kind the engine uses for mailboxes and messages:
// the regular files of one folder whose names start and end with given texts,
// sorted by name. A Linux directory listing comes in no useful order; sorted,
// numbered messages come oldest first, as owners expect to hear them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvia {

// The names (without folder) of the regular files in folder (ending in "/")
// whose names begin with prefix and end with suffix (the two may not
// overlap). Names starting with "." are left out. An unreadable folder gives
// none. Any thread may call it.
std::vector<std::string> SearchFolder(const std::string& folder, std::string_view prefix,
                                      std::string_view suffix);

}  // namespace orvia
