// LCallSimLine: the line of the Call Test Simulator. The computer's sound
// devices take the place of the telephone line (plays go to the chosen
// output device, recordings come from the chosen input device) and the
// dialog's keypad takes the place of the caller's keys. The dialog wraps this
// class; it drives a normal engine through the LVLine rules.
//
// Its caller id is "5555555555" / "Simulator". Connecting rings the owner
// with counts 0 to 49 until it accepts; a transfer hangs up; sending digits
// makes no sound and no completion follows.
//
// Main thread only; the current dispatcher must be set before construction.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>

#include "line/call_audio.h"
#include "line/vline.h"

namespace orvia {

class LCallSimLine : public LVLine {
public:
    // Highest ring count asked when connecting.
    static constexpr int kMaxRingCount = 49;
    static constexpr const char* kCallerNumber = "5555555555";
    static constexpr const char* kCallerName = "Simulator";

    LCallSimLine();
    ~LCallSimLine() override;

    // The sound devices used from the next play or recording on.
    void SetPlayDevice(int device) { playDevice_ = device; }
    void SetRecordDevice(int device) { recordDevice_ = device; }

    bool IsConnected() const { return connected_; }
    // "Connect Call": rings until the owner accepts, then connects; false
    // (nothing happens) when no ring up to kMaxRingCount is accepted or a
    // call is already connected.
    bool ConnectCall();
    // A key of the keypad: delivered while connected, dropped otherwise.
    void PressKey(char key);
    // "Hang Up", and closing the dialog.
    void HangUp() { Drop(); }

    // Called whenever the connection starts or ends (the dialog relabels its
    // button).
    void SetConnectionChanged(std::function<void()> callback) {
        connectionChanged_ = std::move(callback);
    }

    // The eight line operations.
    void GenerateDigits(std::string_view digits) override;
    void BlindTransfer(std::string_view number) override;
    void Drop() override;
    void Play(const LSoundSource& source) override;
    void Record(const LSoundSink& sink, int32_t maxTicks, int8_t detectDb,
                int32_t silenceTicks) override;
    void Wait(int32_t ticks) override;
    void Stop() override;
    bool IsRecording() override { return audio_.IsRecording(); }

    void SetTickSource(LCallAudio::TickSource source) { audio_.SetTickSource(std::move(source)); }
    void SetObserver(LLineObserver* observer) { audio_.SetObserver(observer); }

private:
    bool connected_ = false;
    int playDevice_ = 0;
    int recordDevice_ = 0;
    std::function<void()> connectionChanged_;
    LCallAudio audio_{*this};
};

}  // namespace orvia
