#include <gtest/gtest.h>

#include <filesystem>

#include "app/bgalc/bgalc_queue_file_p.h"
#include "temp_dir.h"

namespace orvia {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

TEST(BGALCQueueFileTest, SavesAndLoadsInOrder) {
    TempDir dir;
    const std::string file = dir.Path() + "bgalc.dat";
    EXPECT_TRUE(LoadBGALCQueue(file).empty());  // missing file: empty queue
    const std::vector<std::string> paths = {"/data/OGMs/Welcome.wav", "/data/MailBoxes/a b.wav",
                                            "/data/OGMs/Closed.wav"};
    ASSERT_TRUE(SaveBGALCQueue(file, paths));
    EXPECT_EQ(LoadBGALCQueue(file), paths);
    EXPECT_EQ(ReadFile(file),
              "[bgalc]\ncount=3\nfile0=/data/OGMs/Welcome.wav\nfile1=/data/MailBoxes/a b.wav\n"
              "file2=/data/OGMs/Closed.wav\n");
    ASSERT_TRUE(SaveBGALCQueue(file, {}));
    EXPECT_TRUE(LoadBGALCQueue(file).empty());
    // Only the queue file is left: the rewrites leave no temporary file behind.
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"bgalc.dat"});
}

TEST(BGALCQueueFileTest, ReadsDamagedOrForeignQueuesSafely) {
    TempDir dir;
    const std::string file = dir.Path() + "bgalc.dat";
    const struct {
        const char* name;
        std::string text;
        std::vector<std::string> paths;
    } cases[] = {
        {"negative count", "[bgalc]\ncount=-5\nfile0=/a.wav\n", {}},
        {"count beyond the keys",
         "[bgalc]\ncount=2000000000\nfile0=/a.wav\nfile1=/b.wav\n",
         {"/a.wav", "/b.wav"}},
        {"count below the keys", "[bgalc]\ncount=1\nfile0=/a.wav\nfile1=/b.wav\n", {"/a.wav"}},
        {"missing entry",
         "[bgalc]\ncount=3\nfile0=/a.wav\nfile2=/c.wav\nfile9=/x.wav\n",
         {"/a.wav", "/c.wav"}},
        {"keys in any case, CRLF",
         "[BGALC]\r\nCount=2\r\nFILE0=/a.wav\r\nFile1=/b.wav\r\n",
         {"/a.wav", "/b.wav"}},
        {"relative path left out", "[bgalc]\ncount=2\nfile0=a.wav\nfile1=/b.wav\n", {"/b.wav"}},
        {"no count", "[bgalc]\nfile0=/a.wav\n", {}},
        {"a value cut at 258 characters",
         "[bgalc]\ncount=2\nfile0=/" + std::string(300, 'x') + "\nfile1=/b.wav\n",
         {"/b.wav"}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteFile(file, c.text));
        EXPECT_EQ(LoadBGALCQueue(file), c.paths) << c.name;
    }
}

TEST(BGALCQueueFileTest, QueuesOnlyPathsThatReadBackUnchanged) {
    EXPECT_TRUE(IsQueueablePath("/var/lib/orvia/OGMs/Welcome.wav"));
    EXPECT_TRUE(IsQueueablePath("/" + std::string(256, 'a')));
    const std::string refused[] = {
        "",         "OGMs/Welcome.wav", "/a.wav\nfile1=/etc/passwd",
        "/a.wav\r", "/a.wav ",          "/" + std::string(257, 'a'),
    };
    for (const std::string& path : refused)
        EXPECT_FALSE(IsQueueablePath(path)) << path;
}

}  // namespace
}  // namespace orvia
