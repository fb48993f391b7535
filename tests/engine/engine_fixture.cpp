#include "engine_fixture.h"

#include <memory>

#include "audio/sound_process.h"
#include "audio/stub_source.h"
#include "engine/ogm_files.h"
#include "store/call_log.h"
#include "store/profile.h"
#include "store/settings_store.h"

namespace orvia::test {
namespace {

// A one-second silence that remembers which file it stands for.
class StandInSource : public LSRCStub {
public:
    explicit StandInSource(std::string file) : LSRCStub(8000, 8000, 1), path(std::move(file)) {}
    std::string path;
};

LSoundSource OpenStandIn(const std::string& path, const std::string& magic) {
    if (ReadFile(path).rfind(magic, 0) != 0)
        return {};
    return MakeCounted<StandInSource>(path);
}

// The stand-in at the start of a chain, through any processing stages.
const StandInSource* FindStandIn(const LSoundSource& source) {
    LSoundSourceBase* stage = source.get();
    while (stage) {
        if (auto* standIn = dynamic_cast<StandInSource*>(stage))
            return standIn;
        auto* process = dynamic_cast<LSoundProcessBase*>(stage);
        stage = process ? process->Input().get() : nullptr;
    }
    return nullptr;
}

}  // namespace

void RecordingNotify::Send(int message, std::string& text) {
    if (message == kMsgForwardingMailbox)
        text = forwardingMailbox;
    notices.push_back({message, text, false});
}

void RecordingNotify::Post(int message) {
    notices.push_back({message, {}, true});
}

LSoundSource StandInEngine::OpenWave(const std::string& path) {
    return OpenStandIn(path, "RIFF");
}

LSoundSource StandInEngine::OpenMp3(const std::string& path) {
    return OpenStandIn(path, "ID3");
}

int64_t WeekdayAt(int weekday, int hour, int minute, int second) {
    LocalFields fields;
    fields.year = 2024;
    fields.month = 1;
    fields.day = 14 + weekday;
    fields.hour = hour;
    fields.minute = minute;
    fields.second = second;
    return MakeLocalSeconds(fields);
}

int64_t MondayAt(int hour, int minute, int second) {
    return WeekdayAt(1, hour, minute, second);
}

EngineTest::EngineTest() : clock(MondayAt(10)) {
    SetStore(SettingsStore::ForDataFolder(dir.Path()));
    Store().CreateFolders();
    for (const char* prompt : {"GoodBye", "InvalidOption", "InvalidNumber", "ForwardMessage"})
        WriteFile(PromptPath(prompt), "RIFF");
    line.describeSource = [this](const LSoundSource& source) -> std::string {
        if (IsInvalid(source))
            return "none";
        const StandInSource* standIn = FindStandIn(source);
        if (!standIn)
            return "unknown source";
        return standIn->path.substr(dir.Path().size());
    };
    line.SetOwner(std::make_unique<StandInEngine>(0, &notify, &levelled));
}

void EngineTest::Setting(const std::string& section, const std::string& key,
                         const std::string& value) {
    ASSERT_TRUE(WriteProfileString(Store().SettingsFile(), section, key, value));
}

void EngineTest::Ogm(const std::string& name, const std::string& key, const std::string& value,
                     const std::string& section) {
    ASSERT_TRUE(WriteProfileString(OgmPath(name), section, key, value));
}

void EngineTest::OgmText(const std::string& name, const std::string& text) {
    ASSERT_TRUE(WriteFile(OgmPath(name), text));
}

void EngineTest::EmptyOgm(const std::string& name) {
    ASSERT_TRUE(WriteFile(OgmPath(name), ""));
}

void EngineTest::Recording(const std::string& name) {
    ASSERT_TRUE(WriteFile(Store().OGMs() + name + ".wav", "RIFF"));
}

std::string EngineTest::OgmPath(const std::string& name) const {
    return OgmDefinitionPath(name);
}

std::string EngineTest::PromptPath(const std::string& name) const {
    return Store().SystemPrompts() + name + ".wav";
}

void EngineTest::Keys(const std::string& keys) {
    for (char key : keys)
        line.OnDigit(key);
}

std::string EngineTest::DailyLogText() const {
    return ReadFile(DailyLogPath(LocalNow()));
}

std::string EngineTest::SpecialLogText(const std::string& name) const {
    return ReadFile(Store().Logs() + name + ".txt");
}

std::string EngineTest::SpecialLogEntries(const std::string& name) const {
    const std::string text = SpecialLogText(name);
    std::size_t at = 0;
    for (int line = 0; line < 3 && at != std::string::npos; ++line) {
        at = text.find("\r\n", at);
        if (at != std::string::npos)
            at += 2;
    }
    return at == std::string::npos ? std::string() : text.substr(at);
}

}  // namespace orvia::test
