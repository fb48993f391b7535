// A FIFO, a device or a folder where a data or settings file is expected:
// every reader and writer of such files returns at once with a failure
// instead of blocking its thread, whichever subsystem it belongs to.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <thread>

#include "app/bgalc/bgalc_queue_file_p.h"
#include "app/core/message_actions.h"
#include "app/simulate/simulation_script.h"
#include "audio/codec/format_choice.h"
#include "audio/codec/standard_formats.h"
#include "audio/mp3/mp3_source.h"
#include "audio/pcm_file_sink.h"
#include "audio/wave_sink.h"
#include "audio/wave_source.h"
#include "delivery/file_transfer.h"
#include "delivery/message_compression.h"
#include "engine/number_entry.h"
#include "engine/plugin_pipe.h"
#include "platform/time/clock.h"
#include "store/call_log.h"
#include "store/profile.h"
#include "store/settings_store.h"
#include "temp_dir.h"

namespace orvia {
namespace {

using test::TempDir;
using test::WriteFile;

// Far longer than any of these calls takes; a call still running then is
// blocked on the FIFO.
constexpr auto kBound = std::chrono::seconds(5);

class SpecialFilesTest : public ::testing::Test {
protected:
    SpecialFilesTest() {
        // A writer released below must not end the test with SIGPIPE.
        ::signal(SIGPIPE, SIG_IGN);
        store_ = SettingsStore::ForDataFolder(dir_.Path() + "data");
        EXPECT_TRUE(store_.CreateFolders());
        SetStore(store_);
    }

    std::string Fifo(const std::string& path) {
        EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0) << path;
        return path;
    }

    // Runs work on a thread of its own; true when it returned within the
    // bound. Calls still blocked then are released one by one by opening the
    // other end of the FIFO, so the test ends either way.
    bool ReturnsAtOnce(const std::string& fifo, const std::function<void()>& work) {
        std::packaged_task<void()> task(work);
        std::future<void> done = task.get_future();
        std::thread thread(std::move(task));
        const bool atOnce = done.wait_for(kBound) == std::future_status::ready;
        while (done.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
            const int other = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            ::close(other);
        }
        thread.join();
        return atOnce;
    }

    TempDir dir_;
    SettingsStore store_;
};

TEST_F(SpecialFilesTest, EveryReaderAndWriterRefusesAFifoWithoutBlocking) {
    const std::string folder = dir_.Path();
    struct Case {
        const char* what;
        std::function<bool(const std::string& fifo)> refused;
    } cases[] = {
        {"OGM or prompt recording",
         [](const std::string& fifo) { return IsInvalid(OpenWaveSource(fifo)); }},
        {"OGM MP3", [](const std::string& fifo) { return IsInvalid(OpenMP3Source(fifo)); }},
        {"message recording (PCM writer)",
         [](const std::string& fifo) {
             return IsInvalid(CreatePCMWaveSink(fifo, 8000, 1, 16, 0));
         }},
        {"compressed recording (codec writer)",
         [](const std::string& fifo) {
             return IsInvalid(CreateWaveSink(fifo, ALawFormat(1, 8000)));
         }},
        {"INI file read",
         [](const std::string& fifo) {
             return ReadProfileString(fifo, "settings", "ogm", "default") == "default";
         }},
        {"INI file write",
         [](const std::string& fifo) { return !WriteProfileString(fifo, "settings", "ogm", "x"); }},
        {"number list",
         [folder](const std::string& fifo) {
             const std::string ogm = folder + "list.ini";
             WriteFile(ogm,
                       "[ivr]\nvarlimitlistenabled=true\nvarlimitlistisfile=true\n"
                       "varlimitlistfile=" +
                           fifo + "\n");
             // A list that cannot be read is no list: every number passes.
             return NumberAccepted(ogm, "123");
         }},
        {"special log",
         [](const std::string& fifo) {
             WriteSpecialLog(fifo, "a call");
             return true;
         }},
        {"compression format file",
         [](const std::string& fifo) { return ReadFormatChoice(fifo).formatTag == 1; }},
        {"level-control queue file",
         [](const std::string& fifo) { return LoadBGALCQueue(fifo).empty(); }},
        {"message compression",
         [](const std::string& fifo) {
             return !ConvertAudioFile(ALawFormat(1, 8000), fifo, {}, {});
         }},
        {"FTP upload",
         [](const std::string& fifo) { return !FileTransfer().PutFile(fifo, "message.wav"); }},
        {"message saved by the user",
         [folder](const std::string& fifo) {
             return !SaveMessageAs(fifo.substr(0, fifo.size() - 4) + ".ini", folder + "copy.wav");
         }},
        {"call script",
         [](const std::string& fifo) {
             SimulationScript script;
             std::string error;
             return !LoadSimulationScript(fifo, WaveVoiceLoader(), &script, &error);
         }},
        {"plug-in program",
         [](const std::string& fifo) {
             return PluginPipe().Start({fifo}) != ProcessStartResult::Started;
         }},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string fifo = Fifo(folder + "special" + std::to_string(n++) + ".wav");
        bool refused = false;
        EXPECT_TRUE(ReturnsAtOnce(fifo, [&] { refused = c.refused(fifo); })) << "blocked";
        EXPECT_TRUE(refused);
    }
}

TEST_F(SpecialFilesTest, TheDailyLogIsNotWrittenIntoAFifo) {
    const std::string log = DailyLogPath(LocalNow());
    Fifo(log);
    EXPECT_TRUE(ReturnsAtOnce(log, [] { WriteDailyLog("Line 1 555 [Answered]"); }));
    struct stat st {};
    ASSERT_EQ(::lstat(log.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));  // left as it was
}

}  // namespace
}  // namespace orvia
