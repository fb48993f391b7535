// Feeds arbitrary bytes to OpenWaveSource as a file and exercises the reader
// it returns: length, reads before and past the end, seeks. A malformed file
// must give an empty handle or silence, never a crash, a hang or a huge
// allocation.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/wave_source.h"

namespace {

// A file in memory, reachable by path, removed when closed.
class MemoryFile {
public:
    MemoryFile(const uint8_t* data, size_t size) : fd_(memfd_create("wave", MFD_CLOEXEC)) {
        if (fd_ < 0)
            return;
        size_t done = 0;
        while (done < size) {
            const ssize_t n = write(fd_, data + done, size - done);
            if (n <= 0)
                break;
            done += static_cast<size_t>(n);
        }
    }
    ~MemoryFile() {
        if (fd_ >= 0)
            close(fd_);
    }
    bool ok() const { return fd_ >= 0; }
    std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
    int fd_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryFile file(data, size);
    if (!file.ok())
        return 0;
    orvia::LSoundSource src = orvia::OpenWaveSource(file.Path());
    if (!src)
        return 0;
    static std::vector<int32_t> block(static_cast<size_t>(orvia::kMaxBlockFrames) * 255);
    const int32_t length = src->GetLength();
    // Seek targets taken from the input's last bytes, so the fuzzer can steer them.
    int32_t target = 0;
    if (size >= 4)
        target =
            static_cast<int32_t>(data[size - 1] | (data[size - 2] << 8) | (data[size - 3] << 16));
    const int32_t seeks[] = {-100, 0, 1, length / 2, length - 1, length, target, -target};
    for (int32_t s : seeks) {
        src->Seek(s);
        for (int i = 0; i < 3; ++i) {
            const int32_t frames = i == 1 ? orvia::kMaxBlockFrames : 777;
            src->Read(block.data(), frames);
            src->GetPosition();
            src->GetLength();
        }
    }
    return 0;
}
