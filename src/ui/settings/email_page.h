// LEmailPage, the settings sheet's "E-mail" page: the mail server messages
// are delivered through (section "smtp": server, security, user, password,
// sender), written each time the page is left, and "Send Test Mail", which
// writes the page, sends a short mail through the server and says in plain
// words what the server answered.
//
// Main thread only.
#pragma once

#include <string>

#include "delivery/transfer_control.h"
#include "ui/framework/property_page.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace orvia {

class LEmailPage : public LPropertyPage {
    Q_OBJECT

public:
    explicit LEmailPage(QWidget* parent = nullptr);

    void OnInit() override;
    bool OnApply() override;
    void OnCommand(QObject* control) override;

    QLineEdit* Server() const { return server_; }
    QComboBox* Security() const { return security_; }
    QLineEdit* User() const { return user_; }
    QLineEdit* Password() const { return password_; }
    QLineEdit* From() const { return from_; }
    QPushButton* TestButton() const { return test_; }

    // How long a test mail may take (tests shorten it).
    void SetTestLimits(const TransferControl& limits) { limits_ = limits; }

private:
    void SendTestMail();

    QLineEdit* server_;
    QComboBox* security_;
    QLineEdit* user_;
    QLineEdit* password_;
    QLineEdit* from_;
    QPushButton* test_;
    TransferControl limits_;
};

// What a test mail's outcome means, in plain words.
std::string TestMailOutcome(TransferStatus status, const std::string& failure,
                            const std::string& server, const std::string& recipient);

}  // namespace orvia
