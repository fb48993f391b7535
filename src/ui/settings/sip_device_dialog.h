// SipDeviceDialog, "SIP Device Settings": every setting of one SIP line
// device of the telephony configuration (listen address, transport,
// registrar, user, authentication user, password, display name, outbound
// proxy, key tones, ring interval, who may call, NAT keep-alive). OK checks
// the section as the SIP provider itself will read it and refuses what the
// provider cannot use; then the section is written in one replacement of
// the file. The password is shown masked.
//
// Main thread only.
#pragma once

#include <string>

#include "ui/framework/popup_dialog_box.h"

class QComboBox;
class QLineEdit;

namespace orvia {

class SipDeviceDialog : public LPopupDialogBox {
    Q_OBJECT

public:
    // The device of section in the configuration file at path; a section
    // that does not exist yet is a new device.
    SipDeviceDialog(QWidget* parent, std::string path, std::string section);

    void OnInit() override;
    bool OnApply() override;

    QLineEdit* Field(const char* key) const;
    QComboBox* Transport() const { return transport_; }
    QComboBox* Dtmf() const { return dtmf_; }
    QComboBox* TlsVerify() const { return tlsVerify_; }
    QComboBox* MediaEncryption() const { return mediaEncryption_; }

private:
    std::string path_;
    std::string section_;
    QComboBox* transport_;
    QComboBox* dtmf_;
    QComboBox* tlsVerify_;
    QComboBox* mediaEncryption_;
};

}  // namespace orvia
