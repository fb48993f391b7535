#include "audio/wave_repair.h"

#include <unistd.h>

#include <limits>
#include <vector>

#include "audio/file_handle.h"
#include "audio/wave_header_p.h"
#include "audio/wave_layout_p.h"
#include "platform/files/file_modes.h"
#include "platform/files/file_open.h"
#include "platform/files/path_names.h"

namespace orvia {
namespace {

// Writes the header and the first dataBytes of audio from file into a new
// file beside path, then renames it over path. False (path untouched) on any
// failure.
bool ReplaceWithRepaired(const std::string& path, const FileHandle& file, const WaveLayout& layout,
                         uint32_t dataBytes) {
    // The new file takes the recording's mode (and owner, when run as root).
    std::string name;
    const int fd = CreateReplacement(path, FileAccess::Private, &name);
    if (fd < 0)
        return false;
    FileHandle out(fd);
    const auto header = MakePcmWaveHeader(layout.Channels(), layout.SampleRate(),
                                          layout.BitsPerSample() / 8, dataBytes);
    bool ok = out.Write(header.data(), header.size());
    std::vector<uint8_t> buffer(1 << 16);
    for (int64_t done = 0; ok && done < dataBytes;) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<int64_t>(dataBytes - done, buffer.size()));
        ok = file.ReadExactAt(layout.dataStart + done, buffer.data(), want) &&
             out.Write(buffer.data(), want);
        done += static_cast<int64_t>(want);
    }
    ok = ok && ::fsync(out.Fd()) == 0;
    out.Close();
    ok = ok && ::rename(name.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(name.c_str());
        return false;
    }
    const int folder = OpenFolder(FolderOf(path));
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

}  // namespace

RecordingRepair RepairRecordingHeader(const std::string& path) {
    RecordingRepair repair;
    const FileHandle file = FileHandle::OpenForReading(path);
    WaveLayout layout;
    if (!file.IsOpen() || !ReadWaveLayout(file, layout) || !IsPcmWriterLayout(layout))
        return repair;
    const uint16_t bits = layout.BitsPerSample();
    const int blockAlign = layout.BlockAlign();
    if ((bits != 8 && bits != 16 && bits != 32) || layout.Channels() == 0 ||
        blockAlign != layout.Channels() * (bits / 8))
        return repair;
    repair.sampleRate = layout.SampleRate();
    repair.claimedFrames = layout.dataBytes / blockAlign;
    // Whole frames only, and no more than a header can count.
    const int64_t held = PcmWriterAudioBytes(file, layout.dataStart, layout.dataBytes) / blockAlign;
    repair.heldFrames =
        std::min<int64_t>(held, (std::numeric_limits<uint32_t>::max() - 38) / blockAlign);
    if (repair.heldFrames <= repair.claimedFrames)
        return repair;
    repair.result = ReplaceWithRepaired(path, file, layout,
                                        static_cast<uint32_t>(repair.heldFrames * blockAlign))
                        ? RecordingRepair::Result::Repaired
                        : RecordingRepair::Result::Failed;
    return repair;
}

}  // namespace orvia
