#include "platform/sip/digit_sequencer_p.h"

#include "platform/text/ascii_text.h"

namespace orvia::sip {
namespace {

constexpr int kKeyFrames = 5;      // 100 ms
constexpr int kGapFrames = 5;      // 100 ms
constexpr int kPauseFrames = 100;  // 2 s
constexpr int kFlashFrames = 15;   // 300 ms
constexpr int kEndRepeats = 2;     // the end packet goes out three times in all

}  // namespace

DigitSequencer::DigitSequencer(const std::string& digits, DigitMethod method) : method_(method) {
    for (char raw : digits) {
        const char c = AsciiUpper(raw);
        if (DigitEvent(c) >= 0) {
            steps_.push_back({StepKind::Key, c, kKeyFrames});
            steps_.push_back({StepKind::Gap, 0, kGapFrames});
        } else if (c == '!') {
            steps_.push_back({StepKind::Flash, '!', kFlashFrames});
            steps_.push_back({StepKind::Gap, 0, kGapFrames});
        } else if (c == ',') {
            steps_.push_back({StepKind::Gap, 0, kPauseFrames});
        }
    }
    // The string is out when its last key is; no gap after it.
    if (!steps_.empty() && steps_.back().kind == StepKind::Gap &&
        steps_.back().frames == kGapFrames)
        steps_.pop_back();
}

bool DigitSequencer::Finished() const {
    return step_ >= steps_.size() && endRepeats_ == 0;
}

void DigitSequencer::NextFrame(uint32_t ts, DigitFrame* out) {
    *out = DigitFrame();
    out->sendAudio = true;  // silence unless a step says otherwise
    if (endRepeats_ > 0) {
        out->events[out->eventCount++] = lastEnd_;
        out->eventTimestamp = lastEndTimestamp_;
        --endRepeats_;
    }
    if (step_ >= steps_.size())
        return;

    const Step& step = steps_[step_];
    const bool first = frameInStep_ == 0;
    const bool last = frameInStep_ + 1 == step.frames;
    if (step.kind != StepKind::Gap) {
        const int event = step.kind == StepKind::Flash ? kFlashEvent : DigitEvent(step.digit);
        switch (method_) {
            case DigitMethod::Rfc4733: {
                if (first)
                    eventStart_ = ts;
                TelephoneEvent packet;
                packet.event = static_cast<uint8_t>(event);
                packet.duration = static_cast<uint16_t>((frameInStep_ + 1) * kFrameSamples);
                packet.end = last;
                out->eventCount = 0;  // an earlier event's repeats are over by now
                out->events[out->eventCount++] = packet;
                out->eventTimestamp = eventStart_;
                out->eventMarker = first;
                out->sendAudio = false;
                if (last) {
                    lastEnd_ = packet;
                    lastEndTimestamp_ = eventStart_;
                    endRepeats_ = kEndRepeats;
                }
                break;
            }
            case DigitMethod::Inband:
                if (step.kind == StepKind::Key) {
                    if (first)
                        tone_.Start(step.digit);
                    tone_.Generate(out->pcm.data(), out->pcm.size());
                }
                break;
            case DigitMethod::Info:
                if (first)
                    out->infoSignal = step.digit;
                break;
        }
    }
    if (last) {
        ++step_;
        frameInStep_ = 0;
    } else {
        ++frameInStep_;
    }
}

}  // namespace orvia::sip
