// Reader of compressed WAVE data (LSRCACMWave): the file's bytes go through a
// codec stream to 16-bit PCM and then into the pipeline's scale (x16).
//
// A compressed file's length is known only once it has been decoded to its
// end: until then GetLength is an estimate from the data size and the
// format's bytes per second, refreshed after each conversion; when decoding
// ends the length becomes exact.
//
// Not thread-safe: one consumer at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "audio/codec/codec_stream.h"
#include "audio/codec/wave_format.h"
#include "audio/file_handle.h"
#include "audio/sound_source.h"

namespace orvia {

class LSRCACMWave : public LSoundSourceBase {
public:
    // Takes over the open file. Invalid when no codec decodes the format or
    // its blocks do not fit the buffers.
    LSRCACMWave(FileHandle file, const WaveFormat& format, int64_t dataStart, uint32_t dataBytes);
    void Read(int32_t* buffer, int32_t frames) override;
    void Seek(int32_t frame) override;
    int32_t GetPosition() override { return position_; }
    int32_t GetLength() override { return length_; }

    // True once decoding has reached the end of the data (the length is exact).
    bool Drained() const { return drained_; }

private:
    // Delivers decoded frames into out (nullptr discards them); zeros once
    // the data is used up.
    void Deliver(int32_t* out, int32_t frames);
    // Reads compressed bytes and converts one piece; false when nothing more
    // can be decoded.
    void Convert(size_t neededBytes);
    void ResetStream();
    int64_t FramesForBytes(int64_t bytes) const;
    int64_t BytesForFrames(int64_t frames) const;
    void SetLength(int64_t frames);

    FileHandle file_;
    uint32_t dataBytes_;     // compressed data size
    uint32_t consumed_ = 0;  // compressed bytes read from the file so far
    int64_t dataStart_;
    std::unique_ptr<WaveCodecStream> stream_;
    std::vector<uint8_t> src_;  // compressed bytes waiting for the codec
    size_t srcFill_ = 0;
    std::vector<uint8_t> dst_;  // decoded 16-bit PCM
    size_t dstUsed_ = 0;        // bytes of dst_ holding decoded data
    size_t dstNext_ = 0;        // next byte of dst_ to deliver
    uint32_t sourceRate_;
    uint32_t sourceBytesPerSec_;
    uint16_t sourceBlockAlign_;
    bool drained_ = false;
    bool restart_ = true;     // the next conversion starts the stream afresh
    int64_t decodedEnd_ = 0;  // frame index just after the last decoded frame
    int32_t position_ = 0;
    int32_t length_ = 0;
};

}  // namespace orvia
