#include <gtest/gtest.h>

#include <vector>

#include "audio/batch_copy.h"
#include "audio/sample_format.h"
#include "audio/sound_process.h"
#include "audio/stub_source.h"
#include "audio/ticks.h"

namespace orvia {
namespace {

// A process that passes its input through and counts its own destruction.
class CountingProcess : public LSoundProcessBase {
public:
    CountingProcess(const LSoundSource& in, int* destroyed)
        : LSoundProcessBase(in), destroyed_(destroyed) {}
    ~CountingProcess() override { ++*destroyed_; }
    void Read(int32_t* buffer, int32_t frames) override { input->Read(buffer, frames); }

private:
    int* destroyed_;
};

class CountingStub : public LSRCStub {
public:
    CountingStub(int* destroyed) : LSRCStub(100, 8000, 1), destroyed_(destroyed) {}
    ~CountingStub() override { ++*destroyed_; }

private:
    int* destroyed_;
};

// A sink that keeps what it is given.
class MemorySink : public LSoundSinkBase {
public:
    MemorySink() : LSoundSinkBase(8000, kFullScale16, 1) {}
    void Write(const int32_t* buffer, int32_t frames) override {
        position += frames;
        samples.insert(samples.end(), buffer, buffer + frames);
    }
    std::vector<int32_t> samples;
};

// A source whose samples count up from 1, for checking which frames arrive.
class RampSource : public LSoundSourceBase {
public:
    explicit RampSource(int32_t length)
        : LSoundSourceBase(8000, kFullScale16, 1), length_(length) {}
    void Read(int32_t* buffer, int32_t frames) override {
        for (int32_t i = 0; i < frames; ++i) {
            const int32_t frame = position_ + i;
            buffer[i] = (frame >= 0 && frame < length_) ? frame + 1 : 0;
        }
        position_ += frames;
    }
    void Seek(int32_t frame) override { position_ = frame; }
    int32_t GetPosition() override { return position_; }
    int32_t GetLength() override { return length_; }

private:
    int32_t length_;
    int32_t position_ = 0;
};

TEST(PipelineModel, ReleasingTheLastHandleDestroysEveryStageOnce) {
    int stubs = 0, processes = 0;
    {
        LSoundSource chain = MakeCounted<CountingStub>(&stubs);
        for (int i = 0; i < 3; ++i)
            chain = MakeCounted<CountingProcess>(chain, &processes);
        LSoundSource copy = chain;
        chain.reset();
        EXPECT_EQ(stubs, 0);
        EXPECT_EQ(processes, 0);
        EXPECT_EQ(copy->GetLength(), 100);  // forwarded down the chain
    }
    EXPECT_EQ(stubs, 1);
    EXPECT_EQ(processes, 3);
}

TEST(PipelineModel, SelfAssignmentKeepsTheObject) {
    int stubs = 0;
    LSoundSource a = MakeCounted<CountingStub>(&stubs);
    LSoundSource& alias = a;
    a = alias;
    EXPECT_EQ(stubs, 0);
    EXPECT_EQ(a->RefCount(), 1u);
}

TEST(PipelineModel, ProcessOverEmptyOrInvalidInputIsInvalid) {
    int processes = 0;
    LSoundSource empty;
    CountingProcess overEmpty(empty, &processes);
    EXPECT_TRUE(overEmpty.IsInvalid());
    EXPECT_EQ(overEmpty.sampleRate, 44100);
    EXPECT_EQ(overEmpty.maxSample, kNoInputMaxSample);
    EXPECT_EQ(overEmpty.channels, 1);
    EXPECT_EQ(overEmpty.GetLength(), 0);

    LSoundSource badStub = MakeSilence(10, 0, 0);  // rate and channels out of range
    EXPECT_TRUE(IsInvalid(badStub));
    EXPECT_EQ(badStub->sampleRate, 44100);
    EXPECT_EQ(badStub->channels, 1);
    CountingProcess overInvalid(badStub, &processes);
    EXPECT_TRUE(overInvalid.IsInvalid());
}

TEST(PipelineModel, StubReadsSilenceAndReachesItsLength) {
    LSoundSource stub = MakeSilence(8000, 8000, 2);
    std::vector<int32_t> block(8000 * 2, 7);
    stub->Read(block.data(), 8000);
    for (int32_t v : block)
        ASSERT_EQ(v, 0);
    EXPECT_EQ(stub->GetPosition(), stub->GetLength());
    EXPECT_EQ(stub->maxSample, 0u);
    stub->Seek(-50);  // no limits on a stub's position
    EXPECT_EQ(stub->GetPosition(), -50);
}

TEST(PipelineModel, TickFrameConversions) {
    struct Case {
        int32_t ticks, rate, frames;
    } cases[] = {
        {12345678, 8000, 9876542},  // would overflow if multiplied first
        {10000, 44100, 44100},     {5000, 8000, 4000}, {1, 8000, 0},
        {-10000, 8000, -8000},     {0, 8000, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TicksToFrames(c.ticks, c.rate), c.frames) << c.ticks;
    EXPECT_EQ(FramesToTicks(9876542, 8000), 12345677);  // rounds down
    EXPECT_EQ(FramesToTicks(44100, 44100), 10000);
    EXPECT_EQ(FramesToTicks(2000000000, 192000), 104166666);
    EXPECT_EQ(FramesToTicks(100, 0), 0);
}

TEST(PipelineModel, TimeFormatsRoundToTheirUnit) {
    EXPECT_EQ(FormatTicks(300000), " 0:00:30.000");
    EXPECT_EQ(FormatTicks(-625000), "-0:01:02.500");
    EXPECT_EQ(FormatTicks(625049, TickFormat::Hundredths), "0:01:02.50");
    EXPECT_EQ(FormatTicks(625050, TickFormat::Hundredths), "0:01:02.51");
    EXPECT_EQ(FormatTicks(625499, TickFormat::Tenths), "0:01:02.5");
    EXPECT_EQ(FormatTicks(625500, TickFormat::Tenths), "0:01:02.6");
    EXPECT_EQ(FormatTicks(624999, TickFormat::Seconds), "0:01:02");
    EXPECT_EQ(FormatTicks(625000, TickFormat::Seconds), "0:01:03");
    EXPECT_EQ(FormatTicks(36000000 - 1, TickFormat::Seconds), "1:00:00");
    EXPECT_EQ(ParseTicks("1:02.5"), 625000);
    EXPECT_EQ(ParseTicks("time 1:02.5 s"), 625000);
    EXPECT_EQ(ParseTicks("-0:00:01.000"), -10000);
}

TEST(PipelineModel, SampleFormatConversions) {
    uint8_t b[4];
    // 16-bit: x16 in, (v + 8) >> 4 out, wrapping rather than saturating.
    b[0] = 0xFF, b[1] = 0x7F;
    EXPECT_EQ(LSF16::ToInternal(b), 524272);
    b[0] = 0x00, b[1] = 0x80;
    EXPECT_EQ(LSF16::ToInternal(b), -524288);
    LSF16::FromInternal(524272 + 16, b);  // one step above full scale wraps
    EXPECT_EQ(b[0] | (b[1] << 8), 0x8000);
    LSF16::FromInternal(-9, b);
    EXPECT_EQ(static_cast<int16_t>(b[0] | (b[1] << 8)), -1);
    // 8-bit: (byte - 128) << 11 in, ((v + 1024) >> 11) + 128 out.
    b[0] = 255;
    EXPECT_EQ(LSFU8::ToInternal(b), 127 * 2048);
    b[0] = 128;
    EXPECT_EQ(LSFU8::ToInternal(b), 0);
    LSFU8::FromInternal(-2048, b);
    EXPECT_EQ(b[0], 127);
    // 32-bit: (v + 2048) >> 12 in, << 12 out.
    LSF32::FromInternal(-3, b);
    EXPECT_EQ(LSF32::ToInternal(b), -3);
    LSF32::FromInternal(524272, b);
    EXPECT_EQ(LSF32::ToInternal(b), 524272);
}

TEST(PipelineModel, BatchCopyWritesExactlyTheLength) {
    for (int32_t length : {0, 1, 8191, 8192, 8193, 3 * 8192}) {
        LSoundSource source = MakeCounted<RampSource>(length);
        auto* sinkObject = new MemorySink();
        LSoundSink sink(sinkObject);
        ASSERT_TRUE(CopySourceToSink(source, sink));
        ASSERT_EQ(sinkObject->samples.size(), static_cast<std::size_t>(length)) << length;
        if (length > 0) {
            EXPECT_EQ(sinkObject->samples.front(), 1);
            EXPECT_EQ(sinkObject->samples.back(), length);
        }
    }
}

TEST(PipelineModel, BatchCopyStopsWhenAsked) {
    LSoundSource source = MakeCounted<RampSource>(5 * 8192);
    auto* sinkObject = new MemorySink();
    LSoundSink sink(sinkObject);
    int blocks = 0;
    EXPECT_FALSE(CopySourceToSink(source, sink, [&](int32_t, int32_t) { return ++blocks < 2; }));
    EXPECT_EQ(sinkObject->position, 2 * 8192);
    EXPECT_FALSE(CopySourceToSink(LSoundSource(), sink));
}

}  // namespace
}  // namespace orvia
