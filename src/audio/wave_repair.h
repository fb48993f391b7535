// Repairing a recording that a crash cut short.
//
// The PCM writer rewrites its header every four seconds of audio, so after a
// crash (kill -9, a power cut) the header of a file that was being recorded
// counts up to four seconds less than the file holds. RepairRecordingHeader
// finds such a file (laid out as the writer lays it out, its audio running to
// the end of the file) and makes its header count every whole frame present.
// The repair is atomic: the repaired file is written beside the old one,
// synced and renamed over it, so a crash or a full disk during the repair
// leaves the old file as it was.
//
// Any thread.
#pragma once

#include <cstdint>
#include <string>

namespace orvia {

struct RecordingRepair {
    enum class Result {
        Sound,     // nothing to repair (or not a recording of that layout)
        Repaired,  // the header now counts every whole frame
        Failed,    // it needed repair, but the repaired file could not be made
    };
    Result result = Result::Sound;
    int64_t claimedFrames = 0;  // what the header counted
    int64_t heldFrames = 0;     // the whole frames the file holds
    uint32_t sampleRate = 0;
};

RecordingRepair RepairRecordingHeader(const std::string& path);

}  // namespace orvia
