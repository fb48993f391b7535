// The inside of the codec layer: one format's conversion of whole blocks
// between its compressed bytes and 16-bit PCM.
//
// Every supported format is a sequence of fixed-size blocks, each holding a
// fixed number of frames (for the sample formats a block is one frame).
// WaveCodecStream cuts the caller's buffers into blocks and hands whole
// blocks to the codec. A codec object is used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "audio/codec/wave_format.h"

namespace orvia::codec {

// Largest block the layer accepts, in frames. The sound pipeline moves at most
// 8192 frames at a time; a larger block could never be decoded into, nor
// gathered in, the buffers of the file reader and writer.
inline constexpr std::size_t kMaxBlockFrames = 8192;

// Highest sample rate the layer accepts (the WAVE reader's own limit).
inline constexpr uint32_t kMaxSampleRate = 192000;

struct BlockLayout {
    std::size_t blockBytes = 0;      // compressed bytes per block
    std::size_t framesPerBlock = 0;  // PCM frames per block
    unsigned channels = 0;

    std::size_t PcmBlockBytes() const { return framesPerBlock * channels * 2; }
};

class BlockCodec {
public:
    explicit BlockCodec(const BlockLayout& layout) : layout_(layout) {}
    virtual ~BlockCodec() = default;
    BlockCodec(const BlockCodec&) = delete;
    BlockCodec& operator=(const BlockCodec&) = delete;

    const BlockLayout& Layout() const { return layout_; }

    // Forgets what earlier blocks left behind (a new stream starts).
    virtual void Reset() {}
    // Decodes whole blocks from src into little-endian 16-bit PCM at pcm
    // (blocks × PcmBlockBytes() bytes). Any bytes are accepted as input.
    virtual void Decode(const uint8_t* src, std::size_t blocks, uint8_t* pcm) = 0;
    // Encodes blocks × framesPerBlock frames of little-endian 16-bit PCM into
    // blocks × blockBytes bytes at dst.
    virtual void Encode(const uint8_t* pcm, std::size_t blocks, uint8_t* dst) = 0;

private:
    BlockLayout layout_;
};

// The codec for a compressed (or PCM) format, or nullptr when no codec
// handles it or the format block is inconsistent with itself.
std::unique_ptr<BlockCodec> OpenBlockCodec(const WaveFormat& format);

}  // namespace orvia::codec
