#include "line/ivr_cell.h"

#include "line/vline.h"

namespace orvia {

bool LIVRCell::OnRing(int32_t) {
    return true;
}

void LIVRCell::OnDigit(char) {}

void LIVRCell::OnDialComplete() {
    HangUp();
}

void LIVRCell::OnPlayComplete() {
    HangUp();
}

void LIVRCell::OnWaitComplete() {
    HangUp();
}

void LIVRCell::OnRecordPosition(uint32_t) {}
void LIVRCell::OnRecordLevel(int8_t) {}
void LIVRCell::OnPlayPosition(uint32_t) {}
void LIVRCell::OnPlayLevel(int8_t) {}
void LIVRCell::OnFaxTone() {}
void LIVRCell::OnDisconnected() {}

void LIVRCell::HangUp() {
    if (line_)
        line_->Drop();
}

}  // namespace orvia
