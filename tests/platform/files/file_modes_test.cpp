// The modes of new and replaced files and of created folders, under the
// umasks users run with.
#include "platform/files/file_modes.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "file_mode_helpers.h"
#include "platform/files/text_file.h"
#include "temp_dir.h"

namespace orvia {
namespace {

using test::ModeOf;
using test::ReadFile;
using test::ScopedUmask;
using test::TempDir;
using test::WriteFile;

// The names in folder, "." and ".." left out.
int Entries(const std::string& folder) {
    int count = 0;
    DIR* dir = ::opendir(folder.c_str());
    while (const dirent* entry = dir ? ::readdir(dir) : nullptr)
        count += std::string(entry->d_name) != "." && std::string(entry->d_name) != "..";
    if (dir)
        ::closedir(dir);
    return count;
}

TEST(FileModes, NewFilesTakeTheModeOfTheirKindLessTheUmask) {
    const struct Case {
        mode_t umask;
        mode_t privateMode;
        mode_t sharedMode;
    } cases[] = {{022, 0600, 0644},
                 {077, 0600, 0600},
                 {027, 0600, 0640},
                 {002, 0600, 0664},
                 {0277, 0400, 0400}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.umask);
        TempDir dir;
        ScopedUmask mask(c.umask);
        EXPECT_EQ(ProcessUmask(), c.umask);
        EXPECT_EQ(NewFileMode(FileAccess::Private), c.privateMode);
        EXPECT_EQ(NewFileMode(FileAccess::Shared), c.sharedMode);
        ASSERT_TRUE(ReplaceTextFile(dir.Path() + "secret.ini", "[x]\n", FileAccess::Private));
        ASSERT_TRUE(ReplaceTextFile(dir.Path() + "entry.desktop", "[x]\n"));
        EXPECT_EQ(ModeOf(dir.Path() + "secret.ini"), c.privateMode);
        EXPECT_EQ(ModeOf(dir.Path() + "entry.desktop"), c.sharedMode);
        EXPECT_EQ(Entries(dir.Path()), 2);  // no temporary file left
    }
}

TEST(FileModes, AReplacedFileKeepsItsModeAndOwner) {
    TempDir dir;
    ScopedUmask mask(022);
    const std::string path = dir.Path() + "settings.ini";
    for (const mode_t chosen : {0640, 0604, 0600, 0400}) {
        SCOPED_TRACE(chosen);
        ASSERT_TRUE(WriteFile(path, "old"));
        ASSERT_EQ(::chmod(path.c_str(), chosen), 0);
        for (const FileAccess access : {FileAccess::Private, FileAccess::Shared}) {
            ASSERT_TRUE(ReplaceTextFile(path, "new", access));
            EXPECT_EQ(ModeOf(path), chosen);
        }
        EXPECT_EQ(ReadFile(path), "new");
        EXPECT_EQ(ReplacementMode(path, FileAccess::Shared), chosen);
    }
    if (::geteuid() == 0) {
        // Root rewriting a user's file leaves it the user's.
        ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
        ASSERT_TRUE(ReplaceTextFile(path, "by root", FileAccess::Private));
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, 65534u);
        EXPECT_EQ(st.st_gid, 65534u);
    }
    EXPECT_EQ(Entries(dir.Path()), 1);
}

TEST(FileModes, FoldersAreCreatedWithTheirModeAndExistingOnesKeepTheirs) {
    TempDir dir;
    ScopedUmask mask(022);
    ASSERT_EQ(::mkdir((dir.Path() + "kept").c_str(), 0755), 0);
    ASSERT_TRUE(MakeFolders(dir.Path() + "kept/a/b", 0700));
    EXPECT_EQ(ModeOf(dir.Path() + "kept"), 0755u);
    EXPECT_EQ(ModeOf(dir.Path() + "kept/a"), 0700u);
    EXPECT_EQ(ModeOf(dir.Path() + "kept/a/b"), 0700u);
}

TEST(FileModes, ReadableByOthersWhenTheFileAndItsFolderLetThemIn) {
    const struct Case {
        mode_t file;
        mode_t folder;
        bool readable;
    } cases[] = {
        {0644, 0755, true},  {0644, 0700, false}, {0600, 0755, false}, {0640, 0750, true},
        {0640, 0705, false}, {0604, 0701, true},  {0604, 0710, false}, {0200, 0777, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadableByOthers(c.file, c.folder), c.readable)
            << std::oct << c.file << " in " << c.folder;
}

}  // namespace
}  // namespace orvia
