#include "ui/simulator/call_test_simulator.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/ivr_main.h"
#include "ui/framework/help.h"
#include "ui/framework/pictures.h"
#include "ui/settings/sound_device_lists.h"

namespace orvia {

LCallSimDlg::LCallSimDlg(QWidget* parent, LCallSimLine& line)
    : LPopupDialogBox(parent, kHelpCallTestSimulator),
      line_(line),
      connect_(new QPushButton(this)),
      recordDevice_(new QComboBox(this)),
      playDevice_(new QComboBox(this)),
      close_(new QPushButton(tr("Close"), this)) {
    setWindowTitle(tr("Call Test Simulator"));
    setWindowIcon(Picture(kPictureWindowIcon));

    auto* keypad = new QGridLayout;
    const QFontMetrics metrics = fontMetrics();
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        auto* key = new QPushButton(QString(QChar(kKeys[i])), this);
        key->setAutoDefault(false);
        key->setFocusPolicy(Qt::TabFocus);
        key->setMinimumSize(metrics.averageCharWidth() * 7, metrics.lineSpacing() * 2);
        keys_[i] = key;
        Watch(key);
    }
    // As on a telephone: 1 2 3 / 4 5 6 / 7 8 9 / * 0 #.
    for (int i = 0; i < 9; ++i)
        keypad->addWidget(keys_[static_cast<std::size_t>(i)], i / 3, i % 3);
    keypad->addWidget(KeyButton('*'), 3, 0);
    keypad->addWidget(KeyButton('0'), 3, 1);
    keypad->addWidget(KeyButton('#'), 3, 2);

    connect_->setAutoDefault(false);
    connect_->setMinimumHeight(metrics.lineSpacing() * 2);
    close_->setAutoDefault(false);
    Watch(connect_);
    Watch(recordDevice_);
    Watch(playDevice_);
    connect(close_, &QPushButton::clicked, this, &LCallSimDlg::accept);

    auto* devices = new QGroupBox(tr("Audio Record and Play Devices"), this);
    auto* deviceForm = new QGridLayout(devices);
    auto* recordLabel = new QLabel(tr("&Record:"), this);
    recordLabel->setBuddy(recordDevice_);
    auto* playLabel = new QLabel(tr("&Play:"), this);
    playLabel->setBuddy(playDevice_);
    deviceForm->addWidget(recordLabel, 0, 0);
    deviceForm->addWidget(recordDevice_, 0, 1);
    deviceForm->addWidget(playLabel, 1, 0);
    deviceForm->addWidget(playDevice_, 1, 1);
    deviceForm->setColumnStretch(1, 1);
    recordDevice_->setMinimumWidth(metrics.averageCharWidth() * 30);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(close_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(keypad);
    layout->addWidget(connect_);
    layout->addWidget(devices);
    layout->addLayout(bottom);

    line_.SetConnectionChanged([this] { UpdateControls(); });
}

LCallSimDlg::~LCallSimDlg() {
    line_.SetConnectionChanged(nullptr);
}

QPushButton* LCallSimDlg::KeyButton(char key) const {
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        if (kKeys[i] == key)
            return keys_[i];
    }
    return nullptr;
}

void LCallSimDlg::OnInit() {
    FillRecordDevices(recordDevice_);
    FillPlayDevices(playDevice_);
    recordDevice_->setCurrentIndex(recordDevice_->count() > 0 ? 0 : -1);
    playDevice_->setCurrentIndex(playDevice_->count() > 0 ? 0 : -1);
    line_.SetRecordDevice(recordDevice_->currentIndex());
    line_.SetPlayDevice(playDevice_->currentIndex());
}

void LCallSimDlg::OnCommand(QObject* control) {
    if (control == recordDevice_) {
        line_.SetRecordDevice(recordDevice_->currentIndex());
    } else if (control == playDevice_) {
        line_.SetPlayDevice(playDevice_->currentIndex());
    } else if (control == connect_) {
        if (line_.IsConnected())
            line_.HangUp();
        else
            line_.ConnectCall();
    } else {
        for (std::size_t i = 0; i < kKeys.size(); ++i) {
            if (control == keys_[i])
                line_.PressKey(kKeys[i]);
        }
    }
}

void LCallSimDlg::UpdateControls() {
    connect_->setText(line_.IsConnected() ? tr("Hang Up") : tr("Connect Call"));
}

void LCallSimDlg::keyPressEvent(QKeyEvent* event) {
    // The computer's keys work as the keypad's, the number block's too. On
    // most layouts "*" and "#" are typed with Shift, and the number block's
    // keys come with the keypad flag: neither makes them other keys.
    const QString text = event->text();
    const Qt::KeyboardModifiers others =
        event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if (text.size() == 1 && others == Qt::NoModifier) {
        if (QPushButton* key = KeyButton(text.at(0).toLatin1())) {
            key->animateClick();
            return;
        }
    }
    LPopupDialogBox::keyPressEvent(event);
}

void LCallSimDlg::done(int result) {
    // Closing hangs up first.
    line_.HangUp();
    LPopupDialogBox::done(result);
}

void RunCallTestSimulator(QWidget* parent, IVRCNotify* notify) {
    LCallSimLine line;
    line.SetOwner(std::make_unique<IVRCMain>(0, notify));
    LCallSimDlg dialog(parent, line);
    dialog.Run();
}

}  // namespace orvia
