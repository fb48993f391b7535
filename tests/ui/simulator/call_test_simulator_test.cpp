// The Call Test Simulator over a real engine on test sound devices: the
// ring it connects at, the keypad reaching the engine, hanging up, and the
// main window's menu entry.
#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include "engine/ivr_main.h"
#include "platform/wave/fast_test_device.h"
#include "platform/wave/wave_registry.h"
#include "store/call_log.h"
#include "store/profile.h"
#include "store/settings_store.h"
#include "ui/main/main_window.h"
#include "ui/simulator/call_test_simulator.h"
#include "ui_fixtures.h"

namespace orvia::test {
namespace {

// The engine of line 0, keeping the ring counts and keys it is given.
class WatchedEngine : public IVRCMain {
public:
    WatchedEngine(std::vector<int>& rings, std::string& keys)
        : IVRCMain(0, nullptr), rings_(rings), keys_(keys) {}
    bool OnRing(int32_t count) override {
        rings_.push_back(count);
        return IVRCMain::OnRing(count);
    }
    void OnDigit(char key) override {
        keys_ += key;
        IVRCMain::OnDigit(key);
    }

private:
    std::vector<int>& rings_;
    std::string& keys_;
};

class CallTestSimulatorTest : public DesktopTest {
protected:
    CallTestSimulatorTest() {
        Set("settings", "ogm", "Main");
        // No recording: the OGM is over at once and the flow waits for keys.
        // Key 1 is a blind transfer, which ends a simulated call.
        EXPECT_TRUE(WriteFile(Store().OGMs() + "Main.ini",
                              "[ivr]\nwait=60\npress1=transfer\npress1transfer=201\n"));
        Set("transfer", "blindtapi", "true");
    }
    void Set(const char* section, const char* key, const char* value) {
        ASSERT_TRUE(WriteProfileString(data_.Settings(), section, key, value));
    }

    std::shared_ptr<FastTestDevice> device_ = std::make_shared<FastTestDevice>("Test Sound");
    ScopedWaveDevice in_{WaveDirection::Input, 0, device_};
    ScopedWaveDevice out_{WaveDirection::Output, 0, device_};
    std::vector<int> rings_;
    std::string keys_;
};

TEST_F(CallTestSimulatorTest, ConnectsAtTheRingTheSettingsSayAndTakesTheKeypad) {
    LCallSimLine line;
    line.SetOwner(std::make_unique<WatchedEngine>(rings_, keys_));
    LCallSimDlg dialog(nullptr, line);
    dialog.Prepare();
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Call Test Simulator");
    EXPECT_EQ(dialog.RecordDevice()->currentText(), "Test Sound");
    EXPECT_EQ(dialog.ConnectButton()->text(), "Connect Call");

    // A key before the call does nothing.
    QTest::mouseClick(dialog.KeyButton('5'), Qt::LeftButton);
    EXPECT_TRUE(keys_.empty());

    // The toll saver without new messages answers at ring 5.
    Set("settings", "tollsaver", "true");
    Set("state", "newmessages", "false");
    QTest::mouseClick(dialog.ConnectButton(), Qt::LeftButton);
    EXPECT_EQ(rings_, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(dialog.ConnectButton()->text(), "Hang Up");
    dispatcher_.RunPending();
    QTest::mouseClick(dialog.KeyButton('#'), Qt::LeftButton);
    QTest::mouseClick(dialog.KeyButton('*'), Qt::LeftButton);
    EXPECT_EQ(keys_, "#*");
    QTest::mouseClick(dialog.ConnectButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.ConnectButton()->text(), "Connect Call");
    EXPECT_FALSE(line.IsConnected());

    // With new messages at ring 3; key 1 transfers, which hangs up.
    rings_.clear();
    Set("state", "newmessages", "true");
    QTest::mouseClick(dialog.ConnectButton(), Qt::LeftButton);
    EXPECT_EQ(rings_.back(), 3);
    dispatcher_.RunPending();
    QTest::mouseClick(dialog.KeyButton('1'), Qt::LeftButton);
    dispatcher_.RunPending();
    EXPECT_FALSE(line.IsConnected());
    EXPECT_EQ(dialog.ConnectButton()->text(), "Connect Call");
    EXPECT_NE(ReadFile(DailyLogPath(LocalNow())).find("5555555555 [Answered]"), std::string::npos);

    // Answering off: no ring is taken, nothing connects.
    Set("state", "on", "false");
    QTest::mouseClick(dialog.ConnectButton(), Qt::LeftButton);
    EXPECT_FALSE(line.IsConnected());
    EXPECT_EQ(rings_.back(), 49);
}

TEST_F(CallTestSimulatorTest, TheComputersKeysDialAsTheKeypadDoes) {
    LCallSimLine line;
    line.SetOwner(std::make_unique<WatchedEngine>(rings_, keys_));
    LCallSimDlg dialog(nullptr, line);
    dialog.Prepare();
    dialog.show();
    QTest::mouseClick(dialog.ConnectButton(), Qt::LeftButton);
    ASSERT_TRUE(line.IsConnected());
    dispatcher_.RunPending();

    // As a keyboard sends them: "*" and "#" with Shift, the number block's
    // keys with the keypad flag. Ctrl or Alt make them no key of the call.
    const struct {
        char key;
        Qt::KeyboardModifiers modifiers;
        const char* dialled;
    } presses[] = {
        {'5', Qt::NoModifier, "5"},     {'*', Qt::ShiftModifier, "*"},
        {'#', Qt::ShiftModifier, "#"},  {'7', Qt::KeypadModifier, "7"},
        {'*', Qt::KeypadModifier, "*"}, {'3', Qt::ControlModifier, ""},
        {'4', Qt::AltModifier, ""},
    };
    for (const auto& press : presses) {
        SCOPED_TRACE(std::string(1, press.key) + " with modifiers " +
                     std::to_string(press.modifiers.toInt()));
        keys_.clear();
        QTest::keyClick(dialog.ConnectButton(), press.key, press.modifiers);
        // The key button is clicked as if by the mouse, after its short press;
        // a key that dials nothing is given a short while to show it does not.
        static_cast<void>(
            QTest::qWaitFor([&] { return !keys_.empty(); }, *press.dialled != '\0' ? 5000 : 300));
        EXPECT_EQ(keys_, press.dialled);
    }
    QTest::mouseClick(dialog.ConnectButton(), Qt::LeftButton);
}

TEST_F(CallTestSimulatorTest, TheMenuEntryRunsACallAndClosingHangsUp) {
    dialogs_.callTestSimulator = RunCallTestSimulator;
    Create();
    ASSERT_TRUE(Window().Actions().simulator->isEnabled());
    bool connected = false;
    questions_.QueueDialog([&](QDialog& dialog) {
        auto& simulator = static_cast<LCallSimDlg&>(dialog);
        QTest::mouseClick(simulator.ConnectButton(), Qt::LeftButton);
        connected = simulator.ConnectButton()->text() == "Hang Up";
        QTest::mouseClick(simulator.CloseButton(), Qt::LeftButton);
        EXPECT_EQ(simulator.ConnectButton()->text(), "Connect Call");
    });
    Window().Actions().simulator->trigger();
    EXPECT_TRUE(connected);
    EXPECT_EQ(questions_.dialogsRun, (std::vector<QString>{"Call Test Simulator"}));
}

}  // namespace
}  // namespace orvia::test
