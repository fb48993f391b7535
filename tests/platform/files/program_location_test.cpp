// Where the program and its installed data files are, and which program the
// autostart entry and the systemd unit may name: never one in a build folder.
#include "platform/files/program_location.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "temp_dir.h"

namespace orvia {
namespace {

using test::TempDir;
using test::WriteFile;

// An executable stand-in for the program at path (its folders created).
void PutProgram(const std::string& path) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    ASSERT_TRUE(WriteFile(path, "#!/bin/sh\n"));
    ASSERT_EQ(::chmod(path.c_str(), 0755), 0);
}

TEST(ProgramLocation, ProgramPathIsTheRunningExecutableEvenWhenItsFileWasReplaced) {
    const std::string path = ProgramPath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path[0], '/');
    EXPECT_NE(path.find("orvia_platform_files_tests"), std::string::npos) << path;

    TempDir dir;
    const std::string marked = dir.Path() + "orvia (deleted)";
    EXPECT_EQ(ProgramPathFromLink("/usr/bin/orvia (deleted)"), "/usr/bin/orvia");
    EXPECT_EQ(ProgramPathFromLink(marked), dir.Path() + "orvia");
    ASSERT_TRUE(WriteFile(marked, ""));  // a program really named so keeps its name
    EXPECT_EQ(ProgramPathFromLink(marked), marked);
    EXPECT_EQ(ProgramPathFromLink("/usr/bin/orvia"), "/usr/bin/orvia");
    EXPECT_EQ(ProgramPathFromLink(" (deleted)"), " (deleted)");
}

TEST(ProgramLocation, DataFolderLiesBesideTheProgramsFolderWhereverTheTreeIs) {
    TempDir dir;
    const std::string program = dir.Path() + "moved/usr/bin/orvia";
    ASSERT_NO_FATAL_FAILURE(PutProgram(program));
    EXPECT_EQ(ProgramDataFolder(program), "");  // not installed yet
    std::filesystem::create_directories(dir.Path() + "moved/usr/share/orvia/help");
    EXPECT_EQ(ProgramDataFolder(program), dir.Path() + "moved/usr/share/orvia/");
    EXPECT_EQ(ProgramDataFolder("usr/bin/orvia"), "");
    EXPECT_EQ(ProgramDataFolder(""), "");
    // This test runs from the build folder, which has no data folder.
    EXPECT_EQ(ProgramDataFolder(), "");
}

TEST(ProgramLocation, BuildFolderIsOneWithACMakeCacheAtOrAboveTheProgram) {
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.Path() + "CMakeCache.txt", ""));
    EXPECT_TRUE(IsInBuildFolder(dir.Path() + "orvia"));
    EXPECT_TRUE(IsInBuildFolder(dir.Path() + "src/app/orvia"));
    EXPECT_FALSE(IsInBuildFolder("/usr/bin/orvia"));
    EXPECT_TRUE(IsInBuildFolder(ProgramPath()));
}

TEST(ProgramLocation, ProgramToStartIsTheInstalledOneNeverTheBuildFolders) {
    TempDir dir;
    const std::string build = dir.Path() + "checkout/build/";
    ASSERT_TRUE(std::filesystem::create_directories(build));
    ASSERT_TRUE(WriteFile(build + "CMakeCache.txt", ""));
    const std::string built = build + "src/app/orvia";
    const std::string installed = dir.Path() + "usr/bin/orvia";
    ASSERT_NO_FATAL_FAILURE(PutProgram(built));
    ASSERT_NO_FATAL_FAILURE(PutProgram(installed));
    // A folder of links (like /usr/local/bin to an install elsewhere).
    ASSERT_TRUE(std::filesystem::create_directories(dir.Path() + "links"));
    ASSERT_EQ(::symlink(installed.c_str(), (dir.Path() + "links/orvia").c_str()), 0);
    // A file that is not executable, and a folder of that name, are no programs.
    ASSERT_TRUE(std::filesystem::create_directories(dir.Path() + "plain"));
    ASSERT_TRUE(WriteFile(dir.Path() + "plain/orvia", ""));
    ASSERT_TRUE(std::filesystem::create_directories(dir.Path() + "folder/orvia"));

    // Installed: the running program itself, by its real path.
    EXPECT_EQ(FindProgramToStart(installed, "").path, installed);

    // From a build folder: the first installed one on PATH, by its real path;
    // relative entries, the build folder's own program and non-programs are
    // passed over.
    const std::string path = "build/src/app::" + build + "src/app:" + dir.Path() +
                             "plain:" + dir.Path() + "folder:" + dir.Path() + "links:/nonexistent";
    const ProgramToStart found = FindProgramToStart(built, path);
    EXPECT_EQ(found.path, installed);
    EXPECT_EQ(found.problem, "");

    // None installed: nothing to name, and why.
    const ProgramToStart none =
        FindProgramToStart(built, build + "src/app:" + dir.Path() + "plain");
    EXPECT_EQ(none.path, "");
    EXPECT_NE(none.problem.find("build folder (" + built + ")"), std::string::npos) << none.problem;
    EXPECT_NE(none.problem.find("make install"), std::string::npos) << none.problem;

    EXPECT_EQ(FindProgramToStart("", "/usr/bin").path, "");
    EXPECT_NE(FindProgramToStart("", "/usr/bin").problem, "");
}

}  // namespace
}  // namespace orvia
