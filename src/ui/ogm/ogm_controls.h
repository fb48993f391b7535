// Controls the OGM editor and the mailbox dialog build the same way: named
// check boxes and radio buttons (the tests find them by name), the list of
// OGM or mailbox names that also takes a typed name, and the file filter of
// audio files.
//
// Main thread only.
#pragma once

#include <QString>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QRadioButton;
class QWidget;

namespace orvia {

// Qt's file dialogs match patterns with regard to case on Linux.
inline constexpr const char* kWavOrMp3Filter =
    "Wav or Mp3 Files (*.wav *.WAV *.Wav *.mp3 *.MP3 *.Mp3)";

QCheckBox* NamedCheck(QWidget* parent, const QString& text, const char* name);
QRadioButton* NamedRadio(QWidget* parent, const QString& text, const char* name);

// An editable list of names: a stored name that is not (yet) there, or a
// %variable% template that names its target only during a call, is kept.
QComboBox* NameChoice(QWidget* parent, const char* name, const std::vector<std::string>& names);
// Shows a name: the entry of that name (without regard to case), else the
// name as typed; the start of the text is shown.
void ShowName(QComboBox* combo, const std::string& name);
// The name shown, without blanks at either end.
std::string ChosenName(const QComboBox* combo);

}  // namespace orvia
