// The files of the data folder that hold a password, checked at start-up:
// settings.ini (the SMTP password), the telephony configuration (the SIP
// accounts' passwords) and the mailbox files (the FTP password, the access
// code), each only when it holds one. A file other users can read is
// reported as a warning, with the command that makes it private.
//
// Any thread; reads the files, changes nothing.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "store/settings_store.h"

namespace orvia {

struct ExposedPasswordFile {
    std::string path;
    mode_t mode = 0;  // its permission bits
};

// The files holding a password that users other than the owner can read.
std::vector<ExposedPasswordFile> FindExposedPasswordFiles(const SettingsStore& store);

// Reports each of FindExposedPasswordFiles as a program warning; the number
// reported.
int WarnAboutExposedPasswordFiles(const SettingsStore& store);

}  // namespace orvia
