#include "line/call_sim_line.h"

#include "platform/thread/thread_affinity.h"

namespace orvia {

LCallSimLine::LCallSimLine() {
    SetCallerId(kCallerNumber, kCallerName);
}

LCallSimLine::~LCallSimLine() {
    if (connected_)
        Drop();
}

bool LCallSimLine::ConnectCall() {
    ORVIA_ASSERT_MAIN_THREAD();
    if (connected_)
        return false;
    bool accepted = false;
    for (int count = 0; count <= kMaxRingCount && !accepted; ++count)
        accepted = Ring(count);
    if (!accepted)
        return false;
    connected_ = true;
    if (connectionChanged_)
        connectionChanged_();
    CallConnected();
    return true;
}

void LCallSimLine::PressKey(char key) {
    ORVIA_ASSERT_MAIN_THREAD();
    if (connected_)
        OnDigit(key);
}

void LCallSimLine::GenerateDigits(std::string_view) {
    // No tones on a sound card, and no completion: the flow waits for its
    // next event.
}

void LCallSimLine::BlindTransfer(std::string_view) {
    Drop();
}

void LCallSimLine::Drop() {
    ORVIA_ASSERT_MAIN_THREAD();
    Stop();
    const bool wasConnected = connected_;
    connected_ = false;
    if (wasConnected) {
        CallEnded();
        if (connectionChanged_)
            connectionChanged_();
    }
}

void LCallSimLine::Play(const LSoundSource& source) {
    audio_.Play(source, playDevice_);
}

void LCallSimLine::Record(const LSoundSink& sink, int32_t maxTicks, int8_t detectDb,
                          int32_t silenceTicks) {
    audio_.Record(sink, maxTicks, detectDb, silenceTicks, recordDevice_);
}

void LCallSimLine::Wait(int32_t ticks) {
    audio_.Wait(ticks, playDevice_);
}

void LCallSimLine::Stop() {
    audio_.Stop();
}

}  // namespace orvia
