// Writer of compressed WAVE files (LSNKACMFile): samples become 16-bit PCM
// and go through a codec stream; the compressed bytes follow a header with
// the destination format. The header's sizes are written when the sink is
// destroyed (the last handle released), which also encodes the final partial
// block. Truncate is ignored. A write that fails (a full disk) ends the file:
// it is emptied, since a codec stream with a block missing is of no use, the
// failure is reported, and the sink becomes invalid.
//
// Not thread-safe: one producer at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/codec/codec_stream.h"
#include "audio/codec/wave_format.h"
#include "audio/file_handle.h"
#include "audio/sound_source.h"

namespace orvia {

class LSNKACMFile : public LSoundSinkBase {
public:
    // Creates (or empties) the file. Invalid when the file cannot be created
    // or no codec encodes the format.
    LSNKACMFile(const std::string& path, const WaveFormat& format);
    ~LSNKACMFile() override;
    void Write(const int32_t* buffer, int32_t frames) override;

    uint32_t CompressedBytes() const { return written_; }

private:
    // Converts what the source buffer holds and writes the result.
    void Encode(unsigned codecFlags);
    bool WriteHeader();
    void Fail(int error);

    std::string path_;
    FileHandle file_;
    std::vector<uint8_t> format_;  // the destination format block, 18 + cbSize bytes
    std::unique_ptr<WaveCodecStream> stream_;
    std::vector<uint8_t> src_;  // 16-bit PCM waiting for the codec
    size_t srcFill_ = 0;
    std::vector<uint8_t> dst_;
    uint32_t written_ = 0;  // compressed bytes written
    bool failed_ = false;
};

}  // namespace orvia
