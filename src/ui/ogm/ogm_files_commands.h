// The OGM list's commands on the files of the OGMs folder: the names, the
// name rules for a new or renamed OGM, and new, delete and rename. No
// questions are asked here; the OGM list dialog asks them and calls these.
//
// Main thread (they change files the engines read at each use).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvia {

// Every OGM: the base names of the "*.ini" files of the OGMs folder, sorted
// without regard to case.
std::vector<std::string> OgmNames();

// True when the OGM's definition file exists.
bool OgmExists(const std::string& name);

// A typed name made fit to be an OGM name: the characters < > " * . / : \ |
// are dropped, and so are control characters (a line break would split the
// INI line that names the OGM) and blanks at either end (the INI layer trims
// them, so the name would not be found again). Empty when nothing is left.
std::string CleanOgmName(std::string_view typed);

// "OGM %d" with the smallest n from 1 to 2999 whose definition file does not
// exist; empty when all exist.
std::string ProposeNewOgmName();

// Copies the definition file of from to the name to, refusing to overwrite
// an existing file; only the definition, not the recording or the notes.
bool CopyOgmDefinition(const std::string& from, const std::string& to);

// Deletes the OGM's ".ini", ".wav" and ".txt" files; an ".mp3" stays. Files
// that do not exist are not an error.
void DeleteOgmFiles(const std::string& name);

// Moves the OGM's ".ini" to the new name, never over an existing file; false
// (nothing changed) when that fails, or when the OGM has a ".wav" or ".txt"
// and a file of that kind exists under the new name already. Then moves the ".wav" (or, when it
// cannot be moved, copies it without overwriting) and the ".txt" (failure
// ignored); an ".mp3" keeps its old name.
bool RenameOgmFiles(const std::string& from, const std::string& to);

}  // namespace orvia
