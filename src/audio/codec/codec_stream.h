// One direction of conversion between 16-bit PCM and a WAVE format: decoding
// (the format to PCM) or encoding (PCM to the format). The compressed-file
// reader and writer stream their data through it.
//
// Data moves in whole blocks of the format (a block is one frame for A-law,
// mu-law and PCM). A stream keeps the state some formats carry from block to
// block (GSM's filters, IMA ADPCM's step index); it is used by one thread at
// a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "audio/codec/wave_format.h"

namespace orvia {

namespace codec {
class BlockCodec;
}

enum : unsigned { kCodecBlockAlign = 1, kCodecStart = 2, kCodecEnd = 4 };

class WaveCodecStream {
public:
    // Opens a conversion; exactly one side is 16-bit PCM with the other
    // side's channels and rate (when both are, the copy is plain). nullptr
    // when no codec handles the pair or a format block is inconsistent (bad
    // block align, channels, rate, bits or extra bytes).
    static std::unique_ptr<WaveCodecStream> Open(const WaveFormat& src, const WaveFormat& dst);
    virtual ~WaveCodecStream();
    WaveCodecStream(const WaveCodecStream&) = delete;
    WaveCodecStream& operator=(const WaveCodecStream&) = delete;

    // Source bytes that convert into at most dstBytes: the whole source
    // blocks whose output fits.
    std::size_t SourceSizeFor(std::size_t dstBytes) const;
    // Largest output from srcBytes of input, the final partial block included.
    std::size_t DestinationSizeFor(std::size_t srcBytes) const;

    // Bytes of one source block and of the destination block it becomes.
    std::size_t SourceBlockBytes() const { return srcBlock_; }
    std::size_t DestinationBlockBytes() const { return dstBlock_; }

    struct Result {
        std::size_t srcUsed = 0;
        std::size_t dstUsed = 0;
    };
    // Converts whole source blocks from src into dst, as many as the
    // destination holds. kCodecStart resets the codec state first. Without
    // kCodecEnd (kCodecBlockAlign or no flag) only whole source blocks are
    // consumed and the rest stays for the caller to keep. With kCodecEnd the
    // final partial block is handled too, once every whole block before it
    // is: the encoder pads it with silence to a whole block, the decoder drops
    // a partial compressed block (its bytes count as used). Never writes past
    // dstBytes.
    Result Convert(const uint8_t* src, std::size_t srcBytes, uint8_t* dst, std::size_t dstBytes,
                   unsigned flags);

private:
    WaveCodecStream(std::unique_ptr<codec::BlockCodec> codec, bool encode);

    std::unique_ptr<codec::BlockCodec> codec_;
    bool encode_;
    std::size_t srcBlock_;
    std::size_t dstBlock_;
    std::size_t frameBytes_;         // bytes of one PCM frame
    std::vector<uint8_t> padBlock_;  // the encoder's final partial block, padded
};

}  // namespace orvia
