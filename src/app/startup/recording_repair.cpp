#include "app/startup/recording_repair_p.h"

#include <dirent.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>

#include "audio/wave_repair.h"
#include "platform/diagnostics/diagnostics.h"
#include "platform/files/file_open.h"

namespace orvia {
namespace {

bool IsWaveName(const std::string& name) {
    if (name.size() < 5)
        return false;
    std::string ext = name.substr(name.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".wav";
}

std::string Seconds(int64_t frames, uint32_t rate) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", rate ? static_cast<double>(frames) / rate : 0.0);
    return text;
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

}  // namespace

std::vector<std::string> RepairCrashedRecordings(const std::string& mailboxesFolder) {
    std::vector<std::string> names;
    if (std::unique_ptr<DIR, DirCloser> dir(::opendir(mailboxesFolder.c_str())); dir) {
        while (const dirent* entry = ::readdir(dir.get())) {
            const std::string name = entry->d_name;
            if (IsWaveName(name) && IsRegularFile(mailboxesFolder + name))
                names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> texts;
    for (const std::string& name : names) {
        const RecordingRepair repair = RepairRecordingHeader(mailboxesFolder + name);
        const std::string counts = "its header counted " +
                                   Seconds(repair.claimedFrames, repair.sampleRate) + " s of the " +
                                   Seconds(repair.heldFrames, repair.sampleRate) + " s it holds";
        if (repair.result == RecordingRepair::Result::Repaired) {
            texts.push_back("repaired " + name + " (" + counts + ")");
            ReportWarning("audio", "Recording " + mailboxesFolder + name +
                                       " was cut short by a crash and has been repaired (" +
                                       counts + ")");
        } else if (repair.result == RecordingRepair::Result::Failed) {
            texts.push_back("could not repair " + name + " (" + counts + ")");
            ReportError("audio", "Recording " + mailboxesFolder + name +
                                     " was cut short by a crash and could not be repaired (" +
                                     counts + ")");
        }
    }
    return texts;
}

}  // namespace orvia
