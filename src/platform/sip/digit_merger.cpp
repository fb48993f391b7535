#include "platform/sip/digit_merger_p.h"

namespace orvia::sip {

bool DigitMerger::Accept(char digit, DigitSource source, uint64_t nowMs) {
    while (!recent_.empty() && nowMs > recent_.front().atMs + windowMs_)
        recent_.pop_front();
    const uint8_t bit = static_cast<uint8_t>(source);
    for (Press& press : recent_) {
        if (press.digit == digit && (press.sources & bit) == 0) {
            press.sources |= bit;
            return false;
        }
    }
    recent_.push_back(Press{digit, nowMs, bit});
    if (recent_.size() > 32)
        recent_.pop_front();
    return true;
}

}  // namespace orvia::sip
