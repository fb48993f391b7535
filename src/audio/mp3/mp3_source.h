// LMP3Source: an MPEG-1, MPEG-2 or MPEG-2.5 Audio Layer III file as a sound
// source. Rate and channels come from the first frame header; the length is
// an estimate from the average bitrate of the first 8 frames, refreshed after
// every decoded frame and exact once decoding has ended. maxSample is 2097152,
// so players pass it through the peak limiter. Not thread-safe (one consumer
// at a time, as every source).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "audio/mp3/mp3_frame_decoder.h"
#include "audio/mp3/mp3_frame_header.h"
#include "audio/mp3/mp3_read_file.h"
#include "audio/sound_source.h"

namespace orvia {

class LMP3Source : public LSoundSourceBase {
public:
    // Headers averaged at opening for the bitrate and the length estimate.
    static constexpr int kOpeningHeaders = 8;
    // Headers tried when looking for the next frame of the same stream.
    static constexpr int kFrameHeaderTries = 11;
    // Frames decoded and thrown away before a seek target, to refill the bit
    // reservoir and the overlap state.
    static constexpr int kSeekBackOffFrames = 4;

    // Invalid when the file cannot be opened, has no Layer III header in its
    // first 1024 bytes or fewer than 8 readable headers.
    explicit LMP3Source(const std::string& path);

    void Read(int32_t* buffer, int32_t frames) override;
    void Seek(int32_t frame) override;
    int32_t GetPosition() override { return position_; }
    int32_t GetLength() override { return length_; }

    int32_t SamplesPerFrame() const { return samplesPerFrame_; }
    // MPEG frames decoded since opening, including those a seek decodes and
    // throws away.
    int64_t DecodedFrameCount() const { return decodedFrames_; }

private:
    bool OpenStream();
    // Decodes the next MPEG frame into frame_; false when decoding has ended.
    bool DecodeFrame();
    // Finds the next frame of the first header's stream and hands it to the
    // decoder; false when there is none.
    bool FeedNextFrame();
    void SetLength(int64_t frames);

    MP3ReadFile file_;
    std::unique_ptr<Mp3FrameDecoder> decoder_;
    Mp3FrameHeader first_;
    int64_t dataStart_ = 0;  // offset of the first header
    double frameBytes_ = 1;  // frame size at the average bitrate
    int32_t samplesPerFrame_ = 1152;
    std::vector<int32_t> frame_;  // one decoded frame, interleaved
    int32_t frameFrames_ = 0;     // frames held in frame_
    int32_t readOffset_ = 0;      // frames of frame_ already read
    bool ended_ = false;
    int64_t decodedEnd_ = 0;  // frame position just after the last decoded frame
    int64_t decodedFrames_ = 0;
    int32_t position_ = 0;
    int32_t length_ = 0;
};

// Opens an MP3 file; the source is created even for an unusable file, which
// then is invalid.
LSoundSource OpenMP3Source(const std::string& path);

}  // namespace orvia
