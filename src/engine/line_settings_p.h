// The settings.ini section of one line ("line%d") and its keys the engine
// reads.
#pragma once

#include <string>
#include <string_view>

namespace orvia {

// "line%d" of the line index.
std::string LineSectionName(int lineIndex);
// Key "name" of the line's section, default the section name itself.
std::string LineName(std::string_view section);

}  // namespace orvia
