// The folder lister and the parts of a path.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/files/folder_listing.h"
#include "platform/files/path_names.h"
#include "temp_dir.h"

namespace orvia {
namespace {

using test::TempDir;
using test::WriteFile;

TEST(FolderListingTest, ListsRegularFilesByNameWithoutHiddenOnes) {
    TempDir dir;
    const std::string& folder = dir.Path();
    for (const char* name : {"b.ini", "a.ini", "B.ini", ".hidden.ini", "c.wav", "x.ini.bak"})
        ASSERT_TRUE(WriteFile(folder + name, ""));
    ASSERT_EQ(::mkdir((folder + "folder.ini").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("a.ini", (folder + "link.ini").c_str()), 0);
    ASSERT_EQ(::symlink("folder.ini", (folder + "dirlink.ini").c_str()), 0);
    ASSERT_EQ(::symlink("missing", (folder + "dangling.ini").c_str()), 0);

    EXPECT_EQ(ListFolderFiles(folder, ".ini"),
              (std::vector<std::string>{"B.ini", "a.ini", "b.ini", "link.ini"}));
    EXPECT_EQ(ListFolderFiles(folder).size(), 6u);

    std::vector<FolderEntry> entries;
    ASSERT_TRUE(ReadFolderEntries(folder, &entries));
    ASSERT_EQ(entries.size(), 10u);
    EXPECT_EQ(entries.front().name, ".hidden.ini");
    for (const FolderEntry& entry : entries) {
        EXPECT_EQ(entry.isFolder, entry.name == "folder.ini") << entry.name;
        EXPECT_EQ(entry.isFile, entry.name != "folder.ini" && entry.name != "dirlink.ini" &&
                                    entry.name != "dangling.ini")
            << entry.name;
    }
}

TEST(FolderListingTest, AnUnreadableFolderGivesNothing) {
    TempDir dir;
    std::vector<FolderEntry> entries{{"stale", false, true}};
    EXPECT_FALSE(ReadFolderEntries(dir.Path() + "missing/", &entries));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_TRUE(entries.empty());
    EXPECT_TRUE(ListFolderFiles(dir.Path() + "missing/", ".ini").empty());
}

TEST(PathNamesTest, NameStemFolderAndExtension) {
    EXPECT_EQ(FileNameOf("/x/Sales Dept.mbx"), "Sales Dept.mbx");
    EXPECT_EQ(FileNameOf("plain"), "plain");
    EXPECT_EQ(FileStemOf("/x/Sales Dept.mbx"), "Sales Dept");
    EXPECT_EQ(FileStemOf("/x.d/Sales ICM000001.ini"), "Sales ICM000001");
    EXPECT_EQ(FileStemOf("/x.d/noext"), "noext");
    EXPECT_EQ(FileStemOf("/x/.hidden"), ".hidden");
    EXPECT_EQ(FolderOf("/x/Sales Dept.mbx"), "/x/");
    EXPECT_EQ(FolderOf("/top"), "/");
    EXPECT_EQ(FolderOf("relative.wav"), "./");
    EXPECT_EQ(WithExtension("/x/Sales ICM000001.ini", ".wav"), "/x/Sales ICM000001.wav");
    EXPECT_EQ(WithExtension("/x.d/noext", ".wav"), "/x.d/noext.wav");
    EXPECT_EQ(WithExtension("/x/.hidden", ".wav"), "/x/.hidden.wav");
}

}  // namespace
}  // namespace orvia
