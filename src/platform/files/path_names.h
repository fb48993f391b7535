// The parts of a file path: its file name, its name without extension, its
// folder, and the path with another extension. Paths use "/" only; nothing
// here touches the disk.
//
// Any thread: pure functions.
#pragma once

#include <string>
#include <string_view>

namespace orvia {

// "/x/Sales Dept.mbx" gives "Sales Dept.mbx".
std::string FileNameOf(std::string_view path);
// "/x/Sales Dept.mbx" gives "Sales Dept": the file name without what follows
// its last "." (a name that only begins with "." keeps it).
std::string FileStemOf(std::string_view path);
// The folder that holds the file, ending in "/": "/x/Sales Dept.mbx" gives
// "/x/", a path without a folder "./".
std::string FolderOf(std::string_view path);
// The path with its extension (from the last "." of the file name, when that
// is not its first character) replaced by extension, which includes its dot;
// extension is appended when the name has none.
std::string WithExtension(std::string_view path, std::string_view extension);

}  // namespace orvia
