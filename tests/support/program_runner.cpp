#include "program_runner.h"

#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "app/startup/installed_data_p.h"
#include "audio/pcm_file_sink.h"
#include "platform/time/clock.h"
#include "store/call_log.h"

namespace orvia::test {

Program::Program(std::vector<std::string> args) {
    args.insert(args.begin(), ORVIA_PROGRAM);
    started_ = child_.Start(args) == ProcessStartResult::Started;
}

Program::~Program() {
    if (!started_ || child_.WaitForExit(0))
        return;
    ::kill(child_.Pid(), SIGTERM);
    if (!child_.WaitForExit(kExitBoundMs)) {
        ::kill(child_.Pid(), SIGKILL);
        child_.WaitForExit(kExitBoundMs);
    }
}

bool Program::WaitForOutput(const std::string& text, int boundMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    while (output_.find(text) == std::string::npos) {
        if (ended_ || std::chrono::steady_clock::now() >= deadline)
            return false;
        const ProcessOutput out = child_.ReadOutput(4096, 200);
        output_ += out.data;
        ended_ = out.status == OutputReadStatus::EndOfOutput;
    }
    return true;
}

int Program::Finish(int boundMs) {
    WaitForOutput("\x01 never printed", boundMs);
    int code = -1;
    return child_.WaitForExit(boundMs, &code) ? code : -1;
}

ProgramRun RunProgramToEnd(const std::vector<std::string>& args) {
    Program program(args);
    ProgramRun run;
    run.status = program.Finish();
    run.output = program.Output();
    return run;
}

bool WriteTone(const std::string& path, int ms) {
    LSoundSink sink = CreatePCMWaveSink(path, 8000, 1, 16, 0);
    if (IsInvalid(sink))
        return false;
    std::vector<int32_t> block(static_cast<std::size_t>(ms) * 8);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = (i / 8) % 2 ? 60000 : -60000;
    sink->Write(block.data(), static_cast<int32_t>(block.size()));
    return true;
}

void PrepareExampleData(const std::string& exampleFolder, const std::string& dataFolder) {
    namespace fs = std::filesystem;
    const SettingsStore store = SettingsStore::ForDataFolder(dataFolder);
    ASSERT_TRUE(store.CreateFolders());
    for (const SystemPromptText& prompt : SystemPromptTexts())
        ASSERT_TRUE(WriteTone(store.SystemPrompts() + prompt.name + ".wav", 1000));
    ASSERT_TRUE(WriteFile(store.DataFolder() + "telephony.ini", "[demo]\ntype=simulated\n"));
    std::error_code error;
    fs::copy_file(exampleFolder + "settings.ini", store.SettingsFile(), error);
    ASSERT_FALSE(error) << exampleFolder << "settings.ini: " << error.message();
    for (const char* folder : {"OGMs", "MailBoxes"}) {
        fs::copy(exampleFolder + folder, store.DataFolder() + folder, fs::copy_options::recursive,
                 error);
        ASSERT_FALSE(error) << exampleFolder << folder << ": " << error.message();
    }
}

void ProgramFolderTest::SetUp() {
    Set("ORVIA_DATA", dir_.Path() + "data");
    Set("ORVIA_FOLDERS", dir_.Path() + "folders.ini");
    Set("XDG_RUNTIME_DIR", dir_.Path() + "run");
    Set("XDG_CONFIG_HOME", dir_.Path() + "config");
    Set("DISPLAY", nullptr);
    Set("WAYLAND_DISPLAY", nullptr);
    Set("XDG_SESSION_TYPE", nullptr);
    Set("JOURNAL_STREAM", nullptr);
    ASSERT_EQ(::mkdir((dir_.Path() + "run").c_str(), 0700), 0);
    store_ = SettingsStore::ForDataFolder(dir_.Path() + "data");
    ASSERT_TRUE(store_.CreateFolders());
    for (const SystemPromptText& prompt : SystemPromptTexts())
        ASSERT_TRUE(WriteFile(store_.SystemPrompts() + prompt.name + ".wav", "stand-in"));
    ASSERT_TRUE(WriteFile(store_.OGMs() + "Default Answering Message.ini", "[ivr]\n"));
    ASSERT_TRUE(WriteFile(store_.MailBoxes() + "Default.mbx", "[mbx]\n"));
    // A simulated line: the default SIP line would need a port of its own.
    ASSERT_TRUE(WriteFile(store_.DataFolder() + "telephony.ini",
                          "[simulated]\ntype=simulated\nname=Simulated Line\n"));
    SetStore(store_);
}

std::string ProgramFolderTest::TodaysLog() const {
    for (int64_t day = -1; day <= 1; ++day) {
        const std::string log = ReadFile(DailyLogPath(LocalNow() + day * 86400));
        if (!log.empty())
            return log;
    }
    return {};
}

}  // namespace orvia::test
