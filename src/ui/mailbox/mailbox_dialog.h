// MailboxDialog: the properties of one mailbox file (its name is the
// caption): remote access with its access code, the three ways of
// delivering new messages (e-mail, FTP upload, telephone forwarding), and
// the mailbox's personal greeting (play it, change it through the audio
// menu, or go back to the default prompt).
//
// OK writes the keys in order and refuses, with the focus on the field, an
// e-mail option without an address and an FTP option without a server; the
// remote-access values written before the refusal stay written. Next to the
// access code the dialog says that an empty code lets any caller in.
//
// Main thread only.
#pragma once

#include <string>
#include <vector>

#include "ui/framework/popup_dialog_box.h"
#include "ui/framework/questions.h"
#include "ui/ogm/audio_services.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace orvia {

class NewAudioMenu;
class PlayToggle;

class MailboxDialog : public LPopupDialogBox {
    Q_OBJECT

public:
    MailboxDialog(QWidget* parent, std::string mailbox, const AudioServices& services);

    QCheckBox* RemoteAccess() const { return remote_; }
    QLineEdit* AccessCode() const { return code_; }
    QLabel* AccessCodeNote() const { return codeNote_; }
    QCheckBox* Email() const { return email_; }
    QLineEdit* EmailAddress() const { return address_; }
    QCheckBox* EmailAudio() const { return audio_; }
    QCheckBox* EmailDelete() const { return deleteAfter_; }
    QCheckBox* EmailMp3() const { return mp3_; }
    QCheckBox* Ftp() const { return ftp_; }
    QLineEdit* FtpServer() const { return server_; }
    QLineEdit* FtpUser() const { return user_; }
    QLineEdit* FtpPassword() const { return password_; }
    QLineEdit* FtpDirectory() const { return directory_; }
    QCheckBox* Forward() const { return forward_; }
    QLineEdit* ForwardNumber() const { return number_; }
    QLineEdit* ForwardAttempts() const { return attempts_; }
    QLineEdit* ForwardWait() const { return wait_; }
    QPushButton* PlayGreeting() const { return play_; }
    QPushButton* ChangeGreeting() const { return change_; }
    NewAudioMenu* GreetingMenu() const { return menu_; }
    QPushButton* OkButton() const { return ok_; }

protected:
    void OnInit() override;
    bool OnApply() override;
    void UpdateControls() override;
    void OnCommand(QObject* control) override;
    void OnReset() override;

private:
    std::string name_;
    std::string file_;
    QCheckBox* remote_;
    QLabel* codeLabel_;
    QLineEdit* code_;
    QLabel* codeNote_;
    QCheckBox* email_;
    QLabel* addressLabel_;
    QLineEdit* address_;
    QCheckBox* audio_;
    QCheckBox* deleteAfter_;
    QCheckBox* mp3_;
    QCheckBox* ftp_;
    QLineEdit* server_;
    QLineEdit* user_;
    QLineEdit* password_;
    QLineEdit* directory_;
    QCheckBox* forward_;
    QLineEdit* number_;
    QLineEdit* attempts_;
    QLineEdit* wait_;
    QPushButton* play_;
    QPushButton* change_;
    QPushButton* ok_;
    NewAudioMenu* menu_;
    PlayToggle* playToggle_;
    std::vector<QWidget*> ftpControls_;
    std::vector<QWidget*> forwardControls_;
};

// The two refusals of OK.
Question EmailAddressRequired();
Question FtpServerRequired();

}  // namespace orvia
