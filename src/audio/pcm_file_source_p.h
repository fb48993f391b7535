// Readers of uncompressed WAVE data (LSRCPCMFile<LSFU8/LSF16/LSF32>).
//
// The reader follows a file that a sink is still writing: whenever the
// position reaches the known length it reads the "data" size field again, so
// playback can go on to the file's current end. Lengths never exceed what the
// file really holds, so a header that claims more data than the file has
// cannot make a player run on through silence.
//
// A file laid out as this system's PCM writer lays it out (the 46-byte
// header, the data running to the end of the file) is read to its end
// whatever its header says: a recording that a crash ended has a header from
// up to four seconds before, and the audio after that is the caller's too
// (see PcmWriterAudioBytes).
//
// Not thread-safe: one consumer at a time.
#pragma once

#include <cstdint>
#include <vector>

#include "audio/file_handle.h"
#include "audio/sample_format.h"
#include "audio/sound_source.h"

namespace orvia {

class LSRCPCMFileBase : public LSoundSourceBase {
public:
    void Seek(int32_t frame) override;
    int32_t GetPosition() override { return position_; }
    int32_t GetLength() override;

protected:
    // Takes over the open file; dataStart is the offset of the first sample
    // and dataBytes the data size the header gave at opening. With
    // toFileEnd, every whole frame after dataStart is data.
    LSRCPCMFileBase(FileHandle file, int64_t dataStart, uint32_t dataBytes, bool toFileEnd,
                    int32_t rate, uint32_t channelCount, int bytesPerSample,
                    uint32_t maxSampleValue);

    // Advances the position by frames and works out which part of the block
    // comes from the file: leading frames before 0 and frames past the end
    // are silence. Returns the frames read into raw (at most frames), with
    // *lead set to the block frame where they go; 0 when none.
    int32_t ReadRaw(uint8_t* raw, int32_t frames, int32_t* lead);

    int BlockAlign() const { return bytesPerSample_ * channels; }

private:
    void RefreshLength();
    int32_t LengthFor(uint32_t dataBytes) const;

    FileHandle file_;
    int64_t dataStart_;
    int64_t dataSizeOffset_;  // the "data" chunk's size field, dataStart - 4
    bool toFileEnd_;
    int32_t position_ = 0;
    int32_t length_ = 0;
    int bytesPerSample_;
};

template <class Format>
class LSRCPCMFile : public LSRCPCMFileBase {
public:
    LSRCPCMFile(FileHandle file, int64_t dataStart, uint32_t dataBytes, bool toFileEnd,
                int32_t rate, uint32_t channelCount);
    void Read(int32_t* buffer, int32_t frames) override;

private:
    void ReadBlock(int32_t* buffer, int32_t frames);

    std::vector<uint8_t> raw_;  // kMaxBlockFrames frames of file samples
};

extern template class LSRCPCMFile<LSFU8>;
extern template class LSRCPCMFile<LSF16>;
extern template class LSRCPCMFile<LSF32>;

}  // namespace orvia
