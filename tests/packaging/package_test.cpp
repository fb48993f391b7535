// The Debian package as `make package` builds it, made once per test run by
// the setup test orvia_package_build (build_package.cmake) from a Release
// build folder of its own: what dpkg-deb reads in it, its dependencies
// resolved by apt, and, unpacked into a folder of the test's own, the same
// files as an install, no path of the build in any of them, and the program
// running from there, including `orvia --install` as root (with a private
// /etc and /var/lib, so the computer's own stay untouched).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "install_checks.h"
#include "temp_dir.h"

namespace orvia::test {
namespace {

namespace fs = std::filesystem;

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

// The package names of a Depends field ("a (>= 1), b | c" gives a, b, c).
std::vector<std::string> DependencyNames(const std::string& field) {
    std::vector<std::string> names;
    std::string name;
    bool inName = true;
    for (char c : field + ",") {
        if (c == ',' || c == '|') {
            if (!name.empty())
                names.push_back(name);
            name.clear();
            inName = true;
        } else if (c == ' ' || c == '(') {
            inName = inName && name.empty();
        } else if (inName) {
            name.push_back(c);
        }
    }
    return names;
}

class DebianPackageTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"dpkg-deb", "dpkg-shlibdeps", "apt-get"}) {
            if (!HaveProgram(tool))
                GTEST_SKIP() << tool << " is missing (Debian packages dpkg, dpkg-dev, apt; "
                             << "scripts/install-deps installs them)";
        }
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(ORVIA_PACKAGE_DIR, error)) {
            if (entry.path().extension() == ".deb")
                packages_.push_back(entry.path().string());
        }
        ASSERT_EQ(packages_.size(), 1u) << "one package expected in " << ORVIA_PACKAGE_DIR
                                        << " (the setup test orvia_package_build makes it)";
        deb_ = packages_[0];
    }

    // The package unpacked into <test folder>/root; its path.
    std::string Unpack() {
        const std::string root = dir_.Path() + "root";
        const CommandRun unpack = RunCommand({"dpkg-deb", "--extract", deb_, root}, dir_.Path());
        EXPECT_EQ(unpack.status, 0) << unpack.output;
        return root;
    }

    std::string Field(const char* name) {
        const CommandRun run = RunCommand({"dpkg-deb", "--field", deb_, name}, dir_.Path());
        EXPECT_EQ(run.status, 0) << run.output;
        return Trimmed(run.output);
    }

    TempDir dir_;
    std::vector<std::string> packages_;
    std::string deb_;
};

TEST_F(DebianPackageTest, DependsOnTheRuntimeLibrariesAndAptCanInstallIt) {
    EXPECT_EQ(Field("Package"), "orvia");
    EXPECT_EQ(Field("Version"), ORVIA_VERSION);
    const CommandRun arch = RunCommand({"dpkg", "--print-architecture"}, dir_.Path());
    EXPECT_EQ(Field("Architecture"), Trimmed(arch.output));

    // From the libraries the program links (dpkg-shlibdeps): runtime
    // packages, never the -dev packages of the build.
    const std::string depends = Field("Depends");
    const std::vector<std::string> names = DependencyNames(depends);
    for (const char* library : {"libc6", "libqt6widgets6", "libqt6svg6", "libre0", "librem0",
                                "libcurl4", "libespeak-ng1", "libasound2", "libmpg123-0"}) {
        EXPECT_NE(std::find(names.begin(), names.end(), library), names.end())
            << library << " missing from: " << depends;
    }
    for (const std::string& name : names)
        EXPECT_FALSE(name.ends_with("-dev")) << name << " in: " << depends;

    // apt finds every dependency (installed or in its archives).
    const CommandRun apt = RunCommand({"apt-get", "install", "--simulate", deb_}, dir_.Path());
    EXPECT_EQ(apt.status, 0) << apt.output;
    EXPECT_NE(apt.output.find("Inst orvia "), std::string::npos) << apt.output;
}

TEST_F(DebianPackageTest, UnpackedItIsTheInstallWithoutBuildPathsAndItsProgramRuns) {
    const std::string root = Unpack();
    ASSERT_FALSE(HasFailure());
    CheckInstalledFiles(root + "/usr", "/usr");

    // No installed file names the checkout or a build folder: the program,
    // its units and its documents work once both are gone.
    const char* source = std::getenv("ORVIA_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    const std::string buildPaths[] = {source, ORVIA_BUILD_DIR, ORVIA_PACKAGE_DIR};
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file())
            continue;
        const std::string content = ReadFile(entry.path().string());
        for (const std::string& path : buildPaths)
            EXPECT_EQ(content.find(path), std::string::npos) << entry.path() << " holds " << path;
    }

    fs::create_directories(dir_.Path() + "work");
    CheckInstalledProgramRuns(root + "/usr", dir_.Path() + "work");
}

TEST_F(DebianPackageTest, InstallAsRootSetsUpTheSystemsDataFolderThatEveryStartFinds) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root: `orvia --install` as root sets up /var/lib/orvia (the test "
                     << "gives it a private /etc and /var/lib; CI runs as root)";
    if (RunCommand({"unshare", "--mount", "true"}, dir_.Path()).status != 0)
        GTEST_SKIP() << "unshare --mount is not allowed here: no private /etc and /var/lib";
    const std::string root = Unpack();
    ASSERT_FALSE(HasFailure());
    const std::string etc = dir_.Path() + "etc";
    const std::string varLib = dir_.Path() + "var-lib";
    ASSERT_EQ(RunCommand({"cp", "-a", "/etc", etc}, dir_.Path()).status, 0);
    fs::create_directories(varLib);

    // In a mount namespace of its own, the installed program sees the copies
    // as /etc and /var/lib; then `orvia check` shows where a start looks.
    const CommandRun run = RunCommand(
        {"unshare", "--mount", "--propagation", "private", "sh", "-c",
         "mount --bind \"$1\" /etc && mount --bind \"$2\" /var/lib && env -u ORVIA_DATA -u "
         "ORVIA_FOLDERS \"$3\" --install && env -u ORVIA_DATA -u ORVIA_FOLDERS \"$3\" check",
         "sh", etc, varLib, root + "/usr/bin/orvia"},
        dir_.Path());
    EXPECT_NE(run.output.find("folders named in /etc/orvia/folders.ini"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("Orvia data installed in /var/lib/orvia/"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("orvia check: /var/lib/orvia/: "), std::string::npos) << run.output;

    const std::string data = varLib + "/orvia/";
    struct stat st {};
    ASSERT_EQ(::stat(data.c_str(), &st), 0) << run.output;
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    for (const char* file :
         {"telephony.ini", "System Prompts/GoodBye.wav", "System Prompts/LeaveMessage.wav",
          "OGMs/Default Answering Message.wav", "MailBoxes/Default.mbx"})
        EXPECT_TRUE(FileExists(data + file)) << file;
    const std::string folders = ReadFile(etc + "/orvia/folders.ini");
    EXPECT_NE(folders.find("DataFiles=/var/lib/orvia\n"), std::string::npos) << folders;
}

}  // namespace
}  // namespace orvia::test
