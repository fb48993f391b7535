// "/install" and "/uninstall": creating and removing the data folders.
//
// Install creates the data folder with its four sub-folders, the installed
// data (installed_data.h) and, for the system's data folder, names the
// folders in the folders file, so that every later start (the user's, the
// service's) finds the same data.
//
// Uninstall asks a running instance to end, asks the user for confirmation
// on the terminal (unless told yes), removes the start at logon and the
// service unit, and then empties and removes the folders in this order:
// System Prompts, MailBoxes, OGMs, Logs, the data folder. Each folder loses
// the files directly in it and is removed when that leaves it empty; a
// sub-folder someone put there is left alone. A folder whose removal would be
// destructive beyond Orvia's data (the file system root, a folder directly
// under it, the user's home) is refused and left as it is: the folders file
// that names it may be mistaken.
//
// Main thread, before the application object exists.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "store/settings_store.h"

namespace orvia {

class LogonAutostart;
class ServiceRegistration;

// Writes the store's folders to the folders file, section "Folders": the
// values "DataFiles", "System Prompts", "MailBoxes", "OGMs" and "Logs", each
// without its trailing "/". False when the store names no folders file or it
// cannot be written.
bool WriteFoldersFile(const SettingsStore& store);

// Creates folders and installed data, reporting on out. The folders file is
// written only for the system's data folder (or the layout a folders file
// already names), never for a folder $ORVIA_DATA chose or the user's own: it
// decides where every start of every user goes. Returns the process exit
// status: 0 when the folders and data are in place (a folders file that
// cannot be written is only noted), 1 otherwise.
int RunInstall(const SettingsStore& store, std::ostream& out);

// The folders "/uninstall" removes, in order, each without its trailing "/".
std::vector<std::string> FoldersToRemove(const SettingsStore& store);

// Why a folder may not be emptied; empty when it may. home is the user's
// home folder (may be empty).
std::string RemovalRefusal(const std::string& folder, const std::string& home);

struct FolderRemoval {
    std::string folder;
    int filesRemoved = 0;
    bool folderRemoved = false;
    std::string problem;  // why the folder stays, when it does
};

// Empties and removes the folders of FoldersToRemove in order.
std::vector<FolderRemoval> RemoveDataFolders(const SettingsStore& store, const std::string& home);

struct UninstallContext {
    std::istream* in = nullptr;
    std::ostream* out = nullptr;
    bool assumeYes = false;
    std::string home;                        // for RemovalRefusal
    LogonAutostart* autostart = nullptr;     // removed when given
    ServiceRegistration* service = nullptr;  // removed when given
    // Asks a running instance to end and waits for it; false when one still
    // runs. Null: nothing to ask.
    std::function<bool()> endRunningInstance;
};

// Runs the whole uninstall; returns the process exit status (0 done, 1
// cancelled or refused, 2 failed in part).
int RunUninstall(const SettingsStore& store, const UninstallContext& context);

}  // namespace orvia
