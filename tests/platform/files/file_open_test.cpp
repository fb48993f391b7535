// Opening data and settings files: regular files only, never blocking.
#include "platform/files/file_open.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "temp_dir.h"

namespace orvia {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

TEST(FileOpenTest, OpensRegularFilesOnlyAndNeverBlocks) {
    TempDir dir;
    const std::string regular = dir.Path() + "file.ini";
    ASSERT_TRUE(WriteFile(regular, "[settings]\n"));
    const std::string link = dir.Path() + "link.ini";
    ASSERT_EQ(::symlink(regular.c_str(), link.c_str()), 0);
    const std::string fifo = dir.Path() + "fifo.wav";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    struct Case {
        std::string path;
        int flags;
        int error;  // 0: opens
    } cases[] = {
        {regular, O_RDONLY, 0},
        {link, O_RDONLY, 0},
        {dir.Path() + "new.wav", O_WRONLY | O_CREAT, 0},
        {dir.Path() + "missing.ini", O_RDONLY, ENOENT},
        {fifo, O_RDONLY, EINVAL},
        {fifo, O_WRONLY | O_CREAT | O_TRUNC, EINVAL},
        {"/dev/zero", O_RDONLY, EINVAL},
        {dir.Path(), O_RDONLY, EISDIR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        errno = 0;
        const int fd = OpenRegularFile(c.path, c.flags, 0600);
        if (c.error == 0) {
            ASSERT_GE(fd, 0) << std::strerror(errno);
            // Blocking once opened: the caller's reads and writes are ordinary.
            EXPECT_EQ(::fcntl(fd, F_GETFL) & O_NONBLOCK, 0);
            EXPECT_NE(::fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);
            ::close(fd);
        } else {
            EXPECT_EQ(fd, -1);
            EXPECT_EQ(errno, c.error);
        }
    }
    EXPECT_EQ(ReadFile(regular), "[settings]\n");

    const int folder = OpenFolder(dir.Path());
    EXPECT_GE(folder, 0);
    ::close(folder);
    EXPECT_EQ(OpenFolder(fifo), -1);
    EXPECT_EQ(errno, ENOTDIR);
    EXPECT_TRUE(IsRegularFile(link));
    EXPECT_FALSE(IsRegularFile(fifo));
}

}  // namespace
}  // namespace orvia
