#include "engine/mailbox_files.h"

#include <cstdio>

#include "audio/wave_source.h"
#include "store/settings_store.h"

namespace orvia {

std::string MailboxPath(std::string_view name) {
    return Store().MailBoxes() + std::string(name) + ".mbx";
}

std::string MailboxNameOf(std::string_view mbxPath) {
    const std::size_t slash = mbxPath.rfind('/');
    std::string_view name = slash == std::string_view::npos ? mbxPath : mbxPath.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos)
        name = name.substr(0, dot);
    return std::string(name);
}

std::string GreetingPath(std::string_view name) {
    return Store().MailBoxes() + std::string(name) + " OGM.wav";
}

std::string MessageNamePrefix(std::string_view name) {
    return std::string(name) + " ICM";
}

std::string MessagePath(std::string_view name, int32_t number, std::string_view extension) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%.6lu",
                  static_cast<unsigned long>(NormalizeMessageNumber(number)));
    return Store().MailBoxes() + MessageNamePrefix(name) + digits + std::string(extension);
}

std::string MessageFileWithExtension(const std::string& path, std::string_view extension) {
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    std::string result = path;
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        result.erase(dot);
    result.append(extension);
    return result;
}

int32_t NormalizeMessageNumber(int32_t number) {
    const int32_t rest = number % kMessageNumberLimit;
    return rest < 0 ? rest + kMessageNumberLimit : rest;
}

int64_t RecordingLengthTicks(const std::string& path) {
    LSoundSource source = OpenWaveSource(path);
    if (IsInvalid(source))
        return 0;
    const int64_t frames = source->GetLength();
    const int64_t rate = source->sampleRate;
    if (frames <= 0 || rate <= 0)
        return 0;
    return (frames / rate) * 10000 + ((frames % rate) * 10000) / rate;
}

}  // namespace orvia
