// LCallSimDlg, the "Call Test Simulator": a whole call on the computer's
// sound devices instead of a telephone line. The dialog wraps the simulated
// line (LCallSimLine): "Connect Call" rings the engine of line 0 until it
// answers, the keypad's keys reach the engine as the caller's key presses,
// recordings play on the chosen play device and messages are recorded from
// the chosen record device (each taken at the moment of the next play or
// recording). "Hang Up" and closing the dialog end the call.
//
// Main thread only.
#pragma once

#include <array>
#include <memory>

#include "line/call_sim_line.h"
#include "ui/framework/popup_dialog_box.h"

class QComboBox;
class QPushButton;

namespace orvia {

class IVRCNotify;

class LCallSimDlg : public LPopupDialogBox {
    Q_OBJECT

public:
    // The keys in the order of the keypad's controls: "1" to "9", "0", "*", "#".
    static constexpr std::array<char, 12> kKeys = {'1', '2', '3', '4', '5', '6',
                                                   '7', '8', '9', '0', '*', '#'};

    // The line's owner must be set (SetOwner) before the dialog runs.
    LCallSimDlg(QWidget* parent, LCallSimLine& line);
    ~LCallSimDlg() override;

    void OnInit() override;
    void OnCommand(QObject* control) override;
    void UpdateControls() override;
    void done(int result) override;

    QPushButton* KeyButton(char key) const;
    QPushButton* ConnectButton() const { return connect_; }
    QComboBox* RecordDevice() const { return recordDevice_; }
    QComboBox* PlayDevice() const { return playDevice_; }
    QPushButton* CloseButton() const { return close_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    LCallSimLine& line_;
    std::array<QPushButton*, 12> keys_{};
    QPushButton* connect_;
    QComboBox* recordDevice_;
    QComboBox* playDevice_;
    QPushButton* close_;
};

// The main window's "Call Test Simulator...": an engine for line 0 reporting
// to notify (the main window; may be null), the dialog, then the line and
// its engine are destroyed. The telephone lines keep running meanwhile.
void RunCallTestSimulator(QWidget* parent, IVRCNotify* notify);

}  // namespace orvia
