#include "app/startup/recording_repair_p.h"

#include <cstdio>

#include "audio/wave_repair.h"
#include "platform/diagnostics/diagnostics.h"
#include "platform/files/folder_listing.h"
#include "platform/text/ascii_text.h"

namespace orvia {
namespace {

std::string Seconds(int64_t frames, uint32_t rate) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", rate ? static_cast<double>(frames) / rate : 0.0);
    return text;
}

}  // namespace

std::vector<std::string> RepairCrashedRecordings(const std::string& mailboxesFolder) {
    // Every WAVE file whatever the case of its extension, in name order.
    std::vector<FolderEntry> entries;
    ReadFolderEntries(mailboxesFolder, &entries);
    std::vector<std::string> names;
    for (const FolderEntry& entry : entries) {
        if (entry.isFile && entry.name.size() > 4 && entry.name.front() != '.' &&
            AsciiLower(entry.name).ends_with(".wav"))
            names.push_back(entry.name);
    }
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
