#include "mp3_fixtures.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <numbers>

#include "temp_dir.h"

extern char** environ;

namespace orvia::test {

bool RunProgram(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return false;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string MakeTonePcm(const ToneSpec& tone) {
    const auto frames = static_cast<std::size_t>(tone.seconds * tone.rate);
    std::string pcm;
    pcm.reserve(frames * 2 * static_cast<std::size_t>(tone.channels));
    for (std::size_t i = 0; i < frames; ++i) {
        for (int c = 0; c < tone.channels; ++c) {
            const double phase =
                2 * std::numbers::pi * tone.frequency[c % 2] * static_cast<double>(i) / tone.rate;
            const auto v = static_cast<int16_t>(std::lround(tone.amplitude * std::sin(phase)));
            pcm.push_back(static_cast<char>(v & 0xFF));
            pcm.push_back(static_cast<char>((v >> 8) & 0xFF));
        }
    }
    return pcm;
}

bool EncodeMp3(const ToneSpec& tone, const std::vector<std::string>& extra,
               const std::string& mp3Path) {
    const std::string raw = mp3Path + ".raw";
    if (!WriteFile(raw, MakeTonePcm(tone)))
        return false;
    char rate[32];
    std::snprintf(rate, sizeof(rate), "%g", tone.rate / 1000.0);
    std::vector<std::string> argv = {"lame",
                                     "--quiet",
                                     "-r",
                                     "-s",
                                     rate,
                                     "--bitwidth",
                                     "16",
                                     "--signed",
                                     "--little-endian",
                                     "-m",
                                     tone.channels == 1 ? "m" : "j"};
    argv.insert(argv.end(), extra.begin(), extra.end());
    argv.push_back(raw);
    argv.push_back(mp3Path);
    const bool ok = RunProgram(argv);
    std::remove(raw.c_str());
    return ok && FileExists(mp3Path);
}

}  // namespace orvia::test
