// Writers of uncompressed WAVE files (LSNKPCMFile<LSFU8/LSF16/LSF32>).
//
// Samples reach the file as they are written, so a crash loses none of what
// the recorder has handed over. The 46-byte header is rewritten whenever four
// seconds of audio have been written since the last rewrite, so a file being
// recorded is always a valid WAVE file whose header lags its data by at most
// about four seconds (and the readers of our own recordings read past it to
// the end of the file). The destructor writes the final header.
//
// A write that fails (a full disk, say) ends the file at once: it keeps the
// whole frames that reached it, with a header that says so, the failure is
// reported, and the sink marks itself invalid; from then on writes and cuts
// change nothing, so position stays what the file holds.
//
// Not thread-safe: one producer at a time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/file_handle.h"
#include "audio/sample_format.h"
#include "audio/sound_source.h"

namespace orvia {

class LSNKPCMFileBase : public LSoundSinkBase {
public:
    ~LSNKPCMFileBase() override;
    // Only when frames <= position: position = max(frames, 0), header
    // rewritten and the file cut after that frame.
    void Truncate(int32_t frames) override;

protected:
    // Keeps startFrame frames (negative counts as 0) of an existing file and
    // writes after them; invalid when the file cannot be opened or the rate
    // is below 1.
    LSNKPCMFileBase(const std::string& path, int32_t rate, uint32_t channelCount,
                    int bytesPerSample, uint32_t maxSampleValue, int32_t startFrame);

    // Appends converted samples and rewrites the header when the countdown
    // runs out.
    void WriteData(const uint8_t* data, int32_t frames);
    int BlockAlign() const { return bytesPerSample_ * channels; }
    // True once a write has failed and the file was ended.
    bool Failed() const { return failed_; }

private:
    bool WriteHeader();
    int64_t DataEnd() const;
    // Ends the file after a failed write (error is its errno).
    void Fail(int error);

    std::string path_;
    int bytesPerSample_;
    bool failed_ = false;
    FileHandle file_;
    int64_t headerCountdown_ = 0;  // frames until the header is rewritten
};

template <class Format>
class LSNKPCMFile : public LSNKPCMFileBase {
public:
    LSNKPCMFile(const std::string& path, int32_t rate, uint32_t channelCount, int32_t startFrame);
    void Write(const int32_t* buffer, int32_t frames) override;

private:
    std::vector<uint8_t> raw_;  // kMaxBlockFrames frames of file samples
};

extern template class LSNKPCMFile<LSFU8>;
extern template class LSNKPCMFile<LSF16>;
extern template class LSNKPCMFile<LSF32>;

// 8-bit writer for bits below 9, 16-bit below 17, else 32-bit. startFrame
// (negative counts as 0) keeps that many frames of an existing file and
// writes after them; 0 starts an empty file.
LSoundSink CreatePCMWaveSink(const std::string& path, int32_t sampleRate, uint32_t channels,
                             int bitsPerSample, int32_t startFrame);

}  // namespace orvia
