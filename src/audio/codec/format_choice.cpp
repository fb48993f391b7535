#include "audio/codec/format_choice.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <optional>

#include "audio/codec/codec_stream.h"
#include "audio/codec/standard_formats.h"
#include "platform/files/file_modes.h"
#include "platform/files/file_open.h"
#include "platform/files/text_file.h"

namespace orvia {
namespace {

constexpr std::array<uint32_t, 5> kRates = {8000, 11025, 16000, 22050, 44100};
constexpr std::size_t kMinimumChoiceBytes = 16;  // a format block up to bitsPerSample

// Reads up to size bytes; the count read, 0 when the file cannot be opened.
std::size_t ReadUpTo(const std::string& path, uint8_t* data, std::size_t size) {
    const int fd = OpenRegularFile(path, O_RDONLY);
    if (fd < 0)
        return 0;
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, data + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return done;
}

// Replaces path with data through a temporary file in the same folder, so a
// crash or a full disk never leaves a partial file.
bool ReplaceFile(const std::string& path, const uint8_t* data, std::size_t size) {
    const std::size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string tmp;
    const int fd = CreateReplacement(path, FileAccess::Shared, &tmp);
    if (fd < 0)
        return false;
    bool ok = WriteFully(fd, std::string_view(reinterpret_cast<const char*>(data), size)) &&
              ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok)
        ok = ::rename(tmp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(tmp.c_str());
        return false;
    }
    const int dfd = OpenFolder(dir.empty() ? "." : dir);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

}  // namespace

std::vector<EncodableFormat> ListEncodableFormats() {
    std::vector<WaveFormat> formats;
    for (uint32_t rate : kRates) {
        for (uint16_t ch = 1; ch <= 2; ++ch) {
            formats.push_back(Pcm8Format(ch, rate));
            formats.push_back(WaveFormat::Pcm16(ch, rate));
            formats.push_back(ALawFormat(ch, rate));
            formats.push_back(MuLawFormat(ch, rate));
            formats.push_back(ImaAdpcmFormat(ch, rate));
            formats.push_back(MsAdpcmFormat(ch, rate));
        }
        formats.push_back(Gsm610Format(rate));
    }
    std::vector<EncodableFormat> list;
    list.reserve(formats.size());
    for (WaveFormat& f : formats) {
        std::string name = WaveFormatName(f);
        list.push_back({std::move(f), std::move(name)});
    }
    return list;
}

bool CanConvertFromPcm16(const WaveFormat& chosen) {
    return WaveCodecStream::Open(WaveFormat::Pcm16(chosen.channels, chosen.samplesPerSec),
                                 chosen) != nullptr;
}

std::string FormatChoicePath(const std::string& settingsFile) {
    const std::size_t slash = settingsFile.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = settingsFile.rfind('.');
    // A dot that starts the name marks a hidden file, not an extension.
    if (dot == std::string::npos || dot <= nameStart)
        return settingsFile + ".wff";
    return settingsFile.substr(0, dot) + ".wff";
}

WaveFormat ReadFormatChoice(const std::string& wffPath) {
    std::array<uint8_t, kFormatChoiceFileBytes> buffer{};
    const std::size_t n = ReadUpTo(wffPath, buffer.data(), buffer.size());
    if (n < kMinimumChoiceBytes)
        return WaveFormat{};
    std::optional<WaveFormat> format = WaveFormat::FromBytes(buffer.data(), n);
    return format ? *format : WaveFormat{};
}

bool WriteFormatChoice(const std::string& wffPath, const WaveFormat& format) {
    std::vector<uint8_t> bytes = format.ToBytes();
    if (bytes.size() > kFormatChoiceFileBytes || format.extra.size() > 0xFFFF)
        return false;
    bytes.resize(kFormatChoiceFileBytes, 0);
    return ReplaceFile(wffPath, bytes.data(), bytes.size());
}

}  // namespace orvia
