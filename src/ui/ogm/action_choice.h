// The drop-down lists that choose an OGM action: a key's ("Press '1'" ...,
// every action), the end of the message's ("Then:") and a rejected
// transfer's ("If transfer fails"), which offer only the actions allowed at
// the end of a message. Each entry shows the action's label and holds its
// stored value.
//
// Main thread only.
#pragma once

#include <string>

#include "engine/action_table.h"

class QComboBox;

namespace orvia {

enum class ActionOffer { Every, AtEnd };

// Fills the list with the actions offered, in the order of the action table.
void FillActionChoice(QComboBox* combo, ActionOffer offer);

// Shows the entry of a stored value (without regard to case); an empty
// value shows the entry of def, a value that is not offered the first entry.
void ShowAction(QComboBox* combo, const std::string& stored, const char* def);

// The stored value and the action of the entry shown.
std::string ChosenActionValue(const QComboBox* combo);
IVRAction ChosenAction(const QComboBox* combo);
// True when the entry shown has a "Details" argument dialog.
bool ChosenHasArguments(const QComboBox* combo);

}  // namespace orvia
