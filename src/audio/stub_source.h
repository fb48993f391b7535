// LSRCStub: silence of a fixed length, used to play a timed pause.
#pragma once

#include "audio/sound_source.h"

namespace orvia {

class LSRCStub : public LSoundSourceBase {
public:
    LSRCStub(int32_t lengthFrames, int32_t rate, uint32_t channelCount);
    void Read(int32_t* buffer, int32_t frames) override;
    void Seek(int32_t frame) override { position_ = frame; }
    int32_t GetPosition() override { return position_; }
    int32_t GetLength() override { return length_; }

private:
    int32_t length_;
    int32_t position_ = 0;
};

// A handle to a stub of the given length.
LSoundSource MakeSilence(int32_t lengthFrames, int32_t rate, uint32_t channelCount);

}  // namespace orvia
