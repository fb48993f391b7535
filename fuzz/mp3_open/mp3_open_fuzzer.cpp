// libFuzzer target: any bytes as an MP3 file. Opening, reading to the end and
// seeking must never crash, hang or read outside the file.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/mp3/mp3_source.h"

namespace {

// The input lives in a memory file reached through its /proc path, so each
// run costs no disk traffic.
const std::string& InputPath() {
    static const std::string path = [] {
        const int fd = memfd_create("mp3_open_fuzz", 0);
        return "/proc/self/fd/" + std::to_string(fd);
    }();
    return path;
}

bool WriteInput(const uint8_t* data, size_t size) {
    const int fd = std::stoi(InputPath().substr(InputPath().rfind('/') + 1));
    if (ftruncate(fd, 0) != 0)
        return false;
    size_t done = 0;
    while (done < size) {
        const ssize_t n = pwrite(fd, data + done, size - done, static_cast<off_t>(done));
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!WriteInput(data, size))
        return 0;
    orvia::LSoundSource source = orvia::OpenMP3Source(InputPath());
    if (!source)
        __builtin_trap();  // the source is created even for unusable files
    std::vector<int32_t> block(static_cast<size_t>(orvia::kMaxBlockFrames) * source->channels);
    // Reads to the end; the bound only guards against a length that never
    // settles, which would itself be a fault worth seeing as a timeout.
    for (int i = 0; i < 100000 && source->GetPosition() < source->GetLength(); ++i)
        source->Read(block.data(), 1000);
    // Seeks taken from the input's first bytes, including negative and huge ones.
    int32_t targets[3] = {0, -100, 1 << 30};
    if (size >= 8)
        targets[0] = static_cast<int32_t>(data[4] | (data[5] << 8) | (data[6] << 16)) - 1000;
    for (int32_t target : targets) {
        source->Seek(target);
        source->Read(block.data(), orvia::kMaxBlockFrames);
        if (source->GetPosition() !=
                static_cast<int32_t>(static_cast<int64_t>(target) + orvia::kMaxBlockFrames) &&
            !source->IsInvalid())
            __builtin_trap();  // Read must advance by the whole block
    }
    return 0;
}
