// The settings that name an OGM to answer calls with, followed through a
// rename: "settings"/"ogm", the auto-hours OGMs and the lines' own OGMs in
// settings.ini. Without this, renaming the answering OGM would leave calls
// unanswered; references from other OGMs are the user's to change (the
// rename warns about them).
//
// Main thread only.
#pragma once

#include <string>

namespace orvia {

// Each of those settings whose value (or, when missing, the default OGM name
// it stands for) is from becomes to. Sections that do not exist are not
// created. The number of settings changed.
int RenameAnswerOgmSettings(const std::string& from, const std::string& to);

}  // namespace orvia
