// Layer III decoding of whole frames with libmpg123. The caller finds the
// frames (MP3ReadFile) and hands them over one at a time; the decoder keeps
// the bit reservoir, the IMDCT overlap and the synthesis history between them
// and gives each frame's samples interleaved, at the pipeline's scale: a
// decoded full-scale value of 1.0 becomes 262144 (the factor of the
// synthesis matrix). Used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>

struct mpg123_handle_struct;

namespace orvia {

inline constexpr float kMp3SynthesisScale = 262144.0f;

class Mp3FrameDecoder {
public:
    enum class Result { Frame, NeedMore, Failed };

    // A decoder for frames of this rate and channel count (1 or 2).
    Mp3FrameDecoder(int32_t rate, int channels);
    ~Mp3FrameDecoder();
    Mp3FrameDecoder(const Mp3FrameDecoder&) = delete;
    Mp3FrameDecoder& operator=(const Mp3FrameDecoder&) = delete;

    bool Ok() const { return handle_ != nullptr; }
    // Forgets every frame fed so far: bit reservoir, overlap and synthesis
    // history start empty.
    void Reset();
    // Hands over one whole frame (header included).
    bool Feed(const uint8_t* frame, std::size_t bytes);
    // Decodes the next frame into out (room for maxSamples samples) and sets
    // *samples to the samples written; NeedMore when it needs another frame
    // first.
    Result Decode(int32_t* out, int32_t maxSamples, int32_t* samples);

private:
    bool Open();

    mpg123_handle_struct* handle_ = nullptr;
    int32_t rate_;
    int channels_;
};

}  // namespace orvia
