// Keys in and out: RFC 4733 events, SIP INFO bodies, merging of methods,
// dial strings as frames, in-band tones against librem's detector, and the
// fax calling tone.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/sip/digit_merger_p.h"
#include "platform/sip/digit_sequencer_p.h"
#include "platform/sip/fax_tone_detector_p.h"
#include "platform/sip/libre_p.h"
#include "platform/sip/telephone_event_p.h"

namespace orvia::sip {
namespace {

TEST(TelephoneEvent, EncodesAndDecodesThePayload) {
    TelephoneEvent event;
    event.event = 11;
    event.end = true;
    event.volume = 10;
    event.duration = 800;
    uint8_t bytes[4];
    EncodeTelephoneEvent(event, bytes);
    EXPECT_EQ(bytes[0], 11);
    EXPECT_EQ(bytes[1], 0x8A);
    EXPECT_EQ(bytes[2], 0x03);
    EXPECT_EQ(bytes[3], 0x20);
    TelephoneEvent back;
    ASSERT_TRUE(DecodeTelephoneEvent(bytes, 4, &back));
    EXPECT_EQ(back.event, 11);
    EXPECT_TRUE(back.end);
    EXPECT_EQ(back.duration, 800);
    EXPECT_FALSE(DecodeTelephoneEvent(bytes, 3, &back));
}

TEST(TelephoneEvent, ReceiverReportsEachPressOnceWhateverPacketsGetThrough) {
    TelephoneEventReceiver receiver;
    std::string keys;
    auto feed = [&](uint32_t ts, int code, bool end) {
        TelephoneEvent e;
        e.event = static_cast<uint8_t>(code);
        e.end = end;
        if (char d = receiver.OnPacket(ts, e))
            keys += d;
    };
    // "5": start, updates, three end packets.
    feed(1000, 5, false);
    feed(1000, 5, false);
    feed(1000, 5, true);
    feed(1000, 5, true);
    feed(1000, 5, true);
    // "5" again, a new press: only its end packets arrive.
    feed(3000, 5, true);
    feed(3000, 5, true);
    // "#", a flash (no key), then "*".
    feed(5000, 11, false);
    feed(7000, 16, false);
    feed(7000, 16, true);
    feed(9000, 10, false);
    EXPECT_EQ(keys, "55#*");
}

TEST(TelephoneEvent, InfoBodies) {
    struct Case {
        const char* type;
        const char* body;
        char digit;  // 0: none
    } cases[] = {
        {"application/dtmf-relay", "Signal=5\r\nDuration=160\r\n", '5'},
        {"Application/DTMF-Relay", "Duration=160\r\nSignal= #\r\n", '#'},
        {"application/dtmf-relay", "Signal=10\r\n", '*'},
        {"application/dtmf-relay", "signal=d\n", 'D'},
        {"application/dtmf", "7", '7'},
        {"application/dtmf", "11\r\n", '#'},
        {"application/dtmf-relay", "Signal=16\r\n", 0},  // flash
        {"application/dtmf-relay", "Signal=55\r\n", 0},
        {"application/dtmf-relay", "Duration=160\r\n", 0},
        {"text/plain", "5", 0},
    };
    for (const Case& c : cases) {
        const auto digit = ParseInfoDigit(c.type, c.body);
        if (c.digit)
            EXPECT_EQ(digit.value_or('?'), c.digit) << c.body;
        else
            EXPECT_FALSE(digit.has_value()) << c.body;
    }
}

TEST(DigitMerger, OnePressOneDigitWhateverMixOfMethods) {
    DigitMerger merger(600);
    std::string keys;
    auto report = [&](char d, DigitSource s, uint64_t t) {
        if (merger.Accept(d, s, t))
            keys += d;
    };
    // Each press sent both as event and as INFO, in either order.
    report('1', DigitSource::Rfc4733, 0);
    report('1', DigitSource::Info, 20);
    report('1', DigitSource::Info, 300);
    report('1', DigitSource::Rfc4733, 320);
    report('2', DigitSource::Rfc4733, 500);
    report('2', DigitSource::Inband, 560);
    EXPECT_EQ(keys, "112");
    // One method alone: every report is a press, however quick.
    report('3', DigitSource::Rfc4733, 1000);
    report('3', DigitSource::Rfc4733, 1100);
    report('3', DigitSource::Rfc4733, 1200);
    EXPECT_EQ(keys, "112333");
    // A second method's report long after is a press of its own.
    report('4', DigitSource::Rfc4733, 2000);
    report('4', DigitSource::Info, 3000);
    EXPECT_EQ(keys, "11233344");
}

struct SentFrames {
    std::vector<DigitFrame> frames;
    std::vector<uint32_t> timestamps;
};

SentFrames RunSequence(const std::string& digits, DigitMethod method, size_t maxFrames = 1000) {
    DigitSequencer sequencer(digits, method);
    SentFrames sent;
    uint32_t ts = 4000;
    while (!sequencer.Finished() && sent.frames.size() < maxFrames) {
        DigitFrame frame;
        sequencer.NextFrame(ts, &frame);
        sent.frames.push_back(frame);
        sent.timestamps.push_back(ts);
        ts += kFrameSamples;
    }
    return sent;
}

TEST(DigitSequencer, Rfc4733EventsWithGrowingDurationAndRepeatedEnd) {
    const SentFrames sent = RunSequence("1!", DigitMethod::Rfc4733);
    // "1": 5 frames, gap 5, flash: 15 frames, then two more end repeats.
    ASSERT_EQ(sent.frames.size(), 5u + 5u + 15u + 2u);
    std::vector<TelephoneEvent> packets;
    std::vector<uint32_t> eventTs;
    for (const DigitFrame& f : sent.frames)
        for (int i = 0; i < f.eventCount; ++i) {
            packets.push_back(f.events[static_cast<size_t>(i)]);
            eventTs.push_back(f.eventTimestamp);
        }
    ASSERT_EQ(packets.size(), 5u + 2u + 15u + 2u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(packets[static_cast<size_t>(i)].event, 1);
        EXPECT_EQ(packets[static_cast<size_t>(i)].duration, (i + 1) * 160);
        EXPECT_EQ(packets[static_cast<size_t>(i)].end, i == 4);
        EXPECT_EQ(eventTs[static_cast<size_t>(i)], 4000u);  // the event's start
    }
    EXPECT_TRUE(packets[5].end && packets[6].end && packets[6].duration == 800);
    EXPECT_EQ(packets[7].event, kFlashEvent);
    EXPECT_EQ(eventTs[7], 4000u + 10 * 160);
    EXPECT_TRUE(sent.frames[0].eventMarker);
    EXPECT_FALSE(sent.frames[1].eventMarker);
    EXPECT_FALSE(sent.frames[0].sendAudio);  // no audio during an event
    EXPECT_TRUE(sent.frames[6].sendAudio);   // silence in the gap
}

TEST(DigitSequencer, PausesAndInfoSignals) {
    const SentFrames sent = RunSequence("1,#w", DigitMethod::Info);
    // 5 + 5 gap + 100 pause + 5 ("w" is skipped, no gap after the last key).
    ASSERT_EQ(sent.frames.size(), 115u);
    std::string signals;
    for (const DigitFrame& f : sent.frames) {
        if (f.infoSignal)
            signals += f.infoSignal;
        EXPECT_EQ(f.eventCount, 0);
    }
    EXPECT_EQ(signals, "1#");
    EXPECT_EQ(sent.frames[110].infoSignal, '#');
    EXPECT_TRUE(RunSequence("", DigitMethod::Inband).frames.empty());
}

// librem's in-band detector hears every key we generate, once each.
TEST(DigitSequencer, InbandTonesAreHeardByTheDetector) {
    const std::string digits = "0123456789*#ABCD";
    const SentFrames sent = RunSequence(digits + "1", DigitMethod::Inband);
    struct dtmf_dec* decoder = nullptr;
    std::string heard;
    ASSERT_EQ(dtmf_dec_alloc(
                  &decoder, 8000, 1,
                  [](char d, void* arg) { *static_cast<std::string*>(arg) += d; }, &heard),
              0);
    for (const DigitFrame& f : sent.frames) {
        ASSERT_TRUE(f.sendAudio);
        dtmf_dec_probe(decoder, f.pcm.data(), f.pcm.size());
    }
    std::vector<int16_t> silence(1600, 0);
    dtmf_dec_probe(decoder, silence.data(), silence.size());
    mem_deref(decoder);
    EXPECT_EQ(heard, digits + "1");
}

std::vector<int16_t> Tone(double hz, size_t samples, double amplitude = 8000) {
    std::vector<int16_t> out(samples);
    for (size_t i = 0; i < samples; ++i)
        out[i] = static_cast<int16_t>(amplitude * std::sin(2 * 3.141592653589793 * hz * i / 8000));
    return out;
}

TEST(FaxToneDetector, DetectsTheCallingToneOnceAndNothingElse) {
    FaxToneDetector detector;
    const auto cng = Tone(1100, 4000);  // 0.5 s
    int detections = 0;
    for (size_t i = 0; i < cng.size(); i += 160)
        detections += detector.Process(cng.data() + i, 160);
    EXPECT_EQ(detections, 1);
    for (size_t i = 0; i < cng.size(); i += 160)
        detections += detector.Process(cng.data() + i, 160);
    EXPECT_EQ(detections, 1);  // reported once per call

    // Too short, too quiet, another tone, a DTMF key, noise: no fax.
    struct Case {
        std::vector<int16_t> audio;
        const char* what;
    } cases[] = {
        {Tone(1100, 2400), "300 ms of 1100 Hz"},
        {Tone(1100, 8000, 20), "a whisper at 1100 Hz"},
        {Tone(1300, 8000), "1300 Hz"},
        {Tone(2100, 8000), "2100 Hz answer tone"},
    };
    for (const Case& c : cases) {
        FaxToneDetector other;
        bool detected = false;
        for (size_t i = 0; i + 160 <= c.audio.size(); i += 160)
            detected |= other.Process(c.audio.data() + i, 160);
        EXPECT_FALSE(detected) << c.what;
    }
    FaxToneDetector keys;
    DigitSequencer sequencer("5555", DigitMethod::Inband);
    bool detected = false;
    DigitFrame frame;
    while (!sequencer.Finished()) {
        sequencer.NextFrame(0, &frame);
        detected |= keys.Process(frame.pcm.data(), frame.pcm.size());
    }
    EXPECT_FALSE(detected);
}

}  // namespace
}  // namespace orvia::sip
