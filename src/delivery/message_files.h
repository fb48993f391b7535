// Names and listings of the mailbox and message files in the MailBoxes folder.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvia {

// A path's file name without folder and extension ("/x/Sales Dept.mbx" gives
// "Sales Dept").
std::string FileStem(std::string_view path);
// The path with its extension (from the last "." of the file name) replaced
// by ext, which includes its dot; ext is appended when there is none.
std::string WithExtension(std::string_view path, std::string_view ext);

// The names (without folder) of the regular files of folder whose names end
// in suffix and do not begin with ".", sorted by name.
std::vector<std::string> ListFolderFiles(const std::string& folder, std::string_view suffix);

// The full paths of a mailbox's message files, "<mailbox> ICM*.ini" in the
// MailBoxes folder, sorted by name (so by message number).
std::vector<std::string> ListMessageFiles(const std::string& mailboxName);

}  // namespace orvia
