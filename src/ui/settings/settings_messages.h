// The message boxes of the settings sheet, the line dialog and the device
// settings dialogs: captions, texts, icons and buttons in one place, so the
// dialogs, the tests and the pictures use the same words.
#pragma once

#include <string>

#include "ui/framework/questions.h"

namespace orvia {

// Devices page, "Remove".
Question RemoveLineQuestion();
// Line dialog: the selected device cannot carry voice calls.
Question DeviceNotVoiceCapableMessage();
// Transfer/Record page: the compression formats refused, and a choice that
// could not be saved.
Question CodecDefectiveMessage();
Question StereoFormatMessage();
Question FormatChoiceNotSavedMessage(const std::string& path);
// General page: the autostart entry could not be written or removed.
Question LogonEntryFailedMessage(bool on);
// Device settings: values the provider cannot use, a file that could not be
// written, a device type without settings here.
Question DeviceSettingsRefusedMessage(const std::string& reason);
Question DeviceSettingsNotSavedMessage(const std::string& path);
Question DeviceTypeNotEditableMessage(const std::string& name, const std::string& type,
                                      const std::string& path);
// E-mail page, "Send Test Mail": the outcome in plain words.
Question TestMailResultMessage(bool sent, const std::string& text);

}  // namespace orvia
