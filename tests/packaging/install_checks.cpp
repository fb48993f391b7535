#include "install_checks.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "peer_process.h"
#include "platform/desktop/service_unit.h"
#include "program_runner.h"
#include "scoped_environment.h"
#include "temp_dir.h"

namespace orvia::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kAppId = "org.orvia.Orvia";

std::string SourceDir() {
    const char* source = std::getenv("ORVIA_SOURCE_DIR");
    return source != nullptr ? source : ".";
}

// Every regular file under root, relative to it.
std::set<std::string> FilesUnder(const std::string& root) {
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file())
            files.insert(fs::relative(entry.path(), root).string());
    }
    return files;
}

}  // namespace

CommandRun RunCommand(const std::vector<std::string>& args, const std::string& folder,
                      int boundMs) {
    static int count = 0;
    sip::test::PeerProcess process;
    CommandRun run;
    if (!process.Start(args, folder, "command-" + std::to_string(++count) + ".log")) {
        ADD_FAILURE() << args[0] << " could not be started";
        return run;
    }
    const std::optional<int> status = process.Wait(boundMs);
    if (!status) {
        process.Stop();
        ADD_FAILURE() << args[0] << " did not end within " << boundMs << " ms";
    }
    run.status = status.value_or(-1);
    run.output = process.Log();
    return run;
}

bool HaveProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "";
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        const std::string candidate = folders.substr(start, end - start) + "/" + name;
        if (end > start && ::access(candidate.c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

void CheckInstalledFiles(const std::string& root, const std::string& prefix) {
    const std::string source = SourceDir();
    std::set<std::string> expected = {
        "bin/orvia",
        std::string("share/applications/") + kAppId + ".desktop",
        std::string("share/icons/hicolor/scalable/apps/") + kAppId + ".svg",
        std::string("share/metainfo/") + kAppId + ".metainfo.xml",
        "share/man/man1/orvia.1.gz",
        "lib/systemd/system/orvia.service",
        "lib/systemd/user/orvia.service",
    };

    struct stat st {};
    ASSERT_EQ(::stat((root + "/bin/orvia").c_str(), &st), 0) << root << "/bin/orvia";
    EXPECT_EQ(st.st_mode & 0777, 0755u);

    // The help pages and pictures are the sources' files.
    for (const char* folder : {"help", "icons"}) {
        for (const auto& file : fs::directory_iterator(source + "/src/ui/" + folder)) {
            const std::string name =
                std::string("share/orvia/") + folder + "/" + file.path().filename().string();
            expected.insert(name);
            EXPECT_EQ(ReadFile(root + "/" + name), ReadFile(file.path().string())) << name;
        }
    }

    // The menu entry starts the program from PATH with the installed icon.
    const std::string entry = ReadFile(root + "/share/applications/" + kAppId + ".desktop");
    EXPECT_NE(entry.find("\nExec=orvia\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find(std::string("\nIcon=") + kAppId + "\n"), std::string::npos) << entry;
    EXPECT_EQ(ReadFile(root + "/share/icons/hicolor/scalable/apps/" + kAppId + ".svg"),
              ReadFile(source + "/src/ui/icons/orvia.svg"));
    const std::string metainfo = ReadFile(root + "/share/metainfo/" + kAppId + ".metainfo.xml");
    EXPECT_NE(metainfo.find(std::string("<launchable type=\"desktop-id\">") + kAppId +
                            ".desktop</launchable>"),
              std::string::npos)
        << metainfo;
    EXPECT_EQ(ReadFile(root + "/share/man/man1/orvia.1.gz").substr(0, 2), "\x1f\x8b");

    // The units start the program where the install was made for.
    const std::string program = prefix + "/bin/orvia";
    EXPECT_EQ(ReadFile(root + "/lib/systemd/system/orvia.service"),
              ServiceUnitText({"", program, false}));
    EXPECT_EQ(ReadFile(root + "/lib/systemd/user/orvia.service"),
              ServiceUnitText({"", program, true}));

    // The documentation: the README and the call-flow guide with its examples.
    EXPECT_EQ(ReadFile(root + "/share/doc/orvia/README.md"), ReadFile(source + "/README.md"));
    EXPECT_EQ(ReadFile(root + "/share/doc/orvia/docs/call-flows.md"),
              ReadFile(source + "/docs/call-flows.md"));
    for (const std::string& name : FilesUnder(source + "/docs/call-flows"))
        expected.insert("share/doc/orvia/docs/call-flows/" + name);
    expected.insert("share/doc/orvia/README.md");
    expected.insert("share/doc/orvia/docs/call-flows.md");

    // Exactly these files: nothing missing, nothing of the build besides.
    EXPECT_EQ(FilesUnder(root), expected);
}

void CheckInstalledProgramRuns(const std::string& root, const std::string& workFolder) {
    const std::string program = root + "/bin/orvia";
    // The program finds its data folder from its own real place.
    const std::string dataFolder = fs::canonical(root).string() + "/share/orvia/";
    const CommandRun help = RunCommand({program, "--help"}, workFolder);
    EXPECT_EQ(help.status, 0) << help.output;
    EXPECT_NE(help.output.find("Usage: orvia"), std::string::npos) << help.output;
    EXPECT_NE(help.output.find("help pages in " + dataFolder + "help/"), std::string::npos)
        << help.output;

    // A worked example of the installed guide, simulated by the installed program.
    const std::string example = root + "/share/doc/orvia/docs/call-flows/departments/";
    const std::string data = workFolder + "/data/";
    ASSERT_NO_FATAL_FAILURE(PrepareExampleData(example, data));
    ScopedEnvironment env;
    env.Set("ORVIA_DATA", data);
    env.Set("ORVIA_FOLDERS", workFolder + "/folders.ini");
    env.Set("XDG_CONFIG_HOME", workFolder + "/config");
    env.Set("XDG_RUNTIME_DIR", workFolder);
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "JOURNAL_STREAM"})
        env.Set(name, nullptr);
    const CommandRun call =
        RunCommand({program, "simulate", example + "calls/sales.call"}, workFolder);
    EXPECT_EQ(call.status, 0) << call.output;
    const std::string transcript = ReadFile(example + "calls/sales.transcript");
    ASSERT_FALSE(transcript.empty());
    EXPECT_EQ(call.output, transcript);
}

}  // namespace orvia::test
