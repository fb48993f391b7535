// The combo boxes that choose an answering OGM (the AutoHours page, the line
// dialog): the OGMs that may answer calls, the stored name selected.
//
// Main thread only.
#pragma once

#include <string>

class QComboBox;

namespace orvia {

// Fills the combo with the answering OGMs and selects the first whose name
// begins with the stored one (nothing when none does).
void FillOgmChoice(QComboBox* combo, const std::string& stored);

}  // namespace orvia
