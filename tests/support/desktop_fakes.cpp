#include "desktop_fakes.h"

#include <cstdio>

#include "audio/pcm_file_sink.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"

namespace orvia::test {

bool RecordingPlayback::Play(const LSoundSource& source, int device, int db) {
    calls.push_back("play " + std::to_string(source->GetLength()) + " on " +
                    std::to_string(device) + " at " + std::to_string(db) + "dB");
    playing_ = true;
    if (changed_)
        changed_(true);
    return true;
}

void RecordingPlayback::Stop() {
    calls.push_back("stop");
    const bool was = playing_;
    playing_ = false;
    if (was && changed_)
        changed_(false);
}

DataFolder::DataFolder() : temp_(std::make_unique<TempDir>()) {
    SetStore(SettingsStore::ForDataFolder(temp_->Path() + "data"));
    Store().CreateFolders();
}

DataFolder::DataFolder(const std::string& folder) {
    SetStore(SettingsStore::ForDataFolder(folder));
    Store().CreateFolders();
}

std::string DataFolder::Settings() const {
    return Store().SettingsFile();
}

std::string DataFolder::Box(const std::string& file) const {
    return Store().MailBoxes() + file;
}

namespace {

void WriteRecording(const std::string& path, int32_t frames) {
    LSoundSink sink = CreatePCMWaveSink(path, 8000, 1, 16, 0);
    std::vector<int32_t> samples(static_cast<std::size_t>(frames), 1600);
    sink->Write(samples.data(), frames);
}

}  // namespace

void DataFolder::Ogm(const std::string& name, const char* answer) const {
    const std::string base = Store().OGMs() + name;
    WriteFile(base + ".ini",
              answer ? std::string("[ivr]\nanswer=") + answer + "\n" : std::string("[ivr]\n"));
    WriteRecording(base + ".wav", 8000);
}

void DataFolder::Mailbox(const std::string& name) const {
    WriteFile(Box(name + ".mbx"), "[mbx]\nremoteaccess=false\n");
}

std::string DataFolder::Message(const std::string& mailbox, int number, const std::string& cid,
                                bool read, int32_t frames) const {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%.6d", number);
    const std::string base = Box(mailbox + " ICM" + digits);
    WriteRecording(base + ".wav", frames);
    const std::string ini = base + ".ini";
    // A minute apart, the first one at 08:05:00 on 2024-03-07.
    WriteProfileDateTime(ini, "message", "datetime", 1709798700 + number * 60);
    WriteProfileString(ini, "message", "cid", cid);
    WriteProfileBool(ini, "message", "read", read);
    return ini;
}

}  // namespace orvia::test
