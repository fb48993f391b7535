#include "platform/desktop/single_instance.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <vector>

#include "platform/files/user_paths.h"
#include "temp_dir.h"
#include "wait_until.h"

namespace orvia {
namespace {

using test::TempDir;
using test::WaitUntil;

// Collects the notices a running instance receives on its listening thread.
class NoticeLog {
public:
    SingleInstance::NoticeHandler Handler() {
        return [this](const InstanceNotice& notice) {
            std::lock_guard<std::mutex> guard(mutex_);
            notices_.push_back(notice);
        };
    }
    std::vector<InstanceNotice> Notices() {
        std::lock_guard<std::mutex> guard(mutex_);
        return notices_;
    }
    bool WaitForCount(std::size_t count) {
        return WaitUntil([&] { return Notices().size() >= count; });
    }

private:
    std::mutex mutex_;
    std::vector<InstanceNotice> notices_;
};

bool IsSocket(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

int RawConnect(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

class SingleInstanceTest : public ::testing::Test {
protected:
    TempDir runtime_;
    TempDir data_;
};

TEST_F(SingleInstanceTest, SecondStartFindsTheFirstAndDeliversItsNotices) {
    NoticeLog log;
    SingleInstance first(data_.Path(), runtime_.Path());
    ASSERT_EQ(first.Claim(log.Handler()), InstanceClaim::First);
    EXPECT_TRUE(IsSocket(first.SocketPath()));
    EXPECT_EQ(first.SocketPath().rfind(runtime_.Path(), 0), 0u);

    SingleInstance second(data_.Path(), runtime_.Path());
    EXPECT_EQ(second.Claim(nullptr), InstanceClaim::AlreadyRunning);
    ASSERT_TRUE(second.Send({InstanceNoticeKind::SecondStart, true}));
    ASSERT_TRUE(second.Send({InstanceNoticeKind::SecondStart, false}));
    ASSERT_TRUE(second.Send({InstanceNoticeKind::ExitRequest, false}));

    ASSERT_TRUE(log.WaitForCount(3));
    const std::vector<InstanceNotice> expected = {
        {InstanceNoticeKind::SecondStart, true},
        {InstanceNoticeKind::SecondStart, false},
        {InstanceNoticeKind::ExitRequest, false},
    };
    EXPECT_EQ(log.Notices(), expected);
}

TEST_F(SingleInstanceTest, StaleSocketOfACrashedInstanceIsReplaced) {
    SingleInstance probe(data_.Path(), runtime_.Path());
    const std::string path = probe.SocketPath();
    {
        // A socket file nobody listens on any more, as a crash leaves it.
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(::listen(fd, 1), 0);
        ::close(fd);
    }
    ASSERT_TRUE(IsSocket(path));
    EXPECT_FALSE(probe.Send({InstanceNoticeKind::SecondStart, false}));

    NoticeLog log;
    SingleInstance first(data_.Path(), runtime_.Path());
    ASSERT_EQ(first.Claim(log.Handler()), InstanceClaim::First);
    SingleInstance second(data_.Path(), runtime_.Path());
    EXPECT_EQ(second.Claim(nullptr), InstanceClaim::AlreadyRunning);
    ASSERT_TRUE(second.Send({InstanceNoticeKind::SecondStart, true}));
    ASSERT_TRUE(log.WaitForCount(1));
    EXPECT_EQ(log.Notices()[0], (InstanceNotice{InstanceNoticeKind::SecondStart, true}));
}

TEST_F(SingleInstanceTest, EndedInstanceRemovesItsSocketAndTheNextStartTakesOver) {
    std::string path;
    {
        SingleInstance first(data_.Path(), runtime_.Path());
        ASSERT_EQ(first.Claim(nullptr), InstanceClaim::First);
        path = first.SocketPath();
    }
    EXPECT_FALSE(IsSocket(path));
    SingleInstance next(data_.Path(), runtime_.Path());
    EXPECT_FALSE(next.Send({InstanceNoticeKind::ExitRequest, false}));  // nobody to tell
    EXPECT_EQ(next.Claim(nullptr), InstanceClaim::First);
}

TEST_F(SingleInstanceTest, ForeignOrBadClientsAreIgnoredAndListeningGoesOn) {
    NoticeLog log;
    SingleInstance first(data_.Path(), runtime_.Path());
    ASSERT_EQ(first.Claim(log.Handler()), InstanceClaim::First);
    for (const char* junk : {"rm -rf /\n", "second-start 2\n", "", "exit now\n"}) {
        const int fd = RawConnect(first.SocketPath());
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, junk, std::strlen(junk)), static_cast<ssize_t>(std::strlen(junk)));
        ::close(fd);
    }
    SingleInstance second(data_.Path(), runtime_.Path());
    ASSERT_TRUE(second.Send({InstanceNoticeKind::ExitRequest, false}));
    ASSERT_TRUE(log.WaitForCount(1));
    EXPECT_EQ(log.Notices(),
              (std::vector<InstanceNotice>{{InstanceNoticeKind::ExitRequest, false}}));
}

TEST_F(SingleInstanceTest, OneInstancePerDataFolderWhateverItsSpelling) {
    TempDir other;
    const std::string plain = data_.Path().substr(0, data_.Path().size() - 1);
    EXPECT_EQ(InstanceSocketName(plain), InstanceSocketName(data_.Path()));
    EXPECT_EQ(InstanceSocketName(data_.Path() + "./"), InstanceSocketName(data_.Path()));
    EXPECT_EQ(InstanceSocketName(data_.Path() + "sub/.."), InstanceSocketName(data_.Path()));
    const std::string link = other.Path() + "link";
    ASSERT_EQ(::symlink(plain.c_str(), link.c_str()), 0);
    EXPECT_EQ(InstanceSocketName(link), InstanceSocketName(data_.Path()));
    EXPECT_NE(InstanceSocketName(other.Path()), InstanceSocketName(data_.Path()));

    SingleInstance a(data_.Path(), runtime_.Path());
    SingleInstance b(other.Path(), runtime_.Path());
    EXPECT_EQ(a.Claim(nullptr), InstanceClaim::First);
    EXPECT_EQ(b.Claim(nullptr), InstanceClaim::First);
}

TEST_F(SingleInstanceTest, RuntimeFolderTooDeepForASocketFails) {
    const std::string deep = runtime_.Path() + std::string(120, 'd') + "/";
    SingleInstance instance(data_.Path(), deep);
    EXPECT_TRUE(instance.SocketPath().empty());
    EXPECT_EQ(instance.Claim(nullptr), InstanceClaim::Failed);
    EXPECT_FALSE(instance.Send({InstanceNoticeKind::SecondStart, false}));
}

TEST(InstanceNotice, EncodesAndParsesOnlyItsOwnLines) {
    for (const InstanceNotice notice : {InstanceNotice{InstanceNoticeKind::SecondStart, false},
                                        InstanceNotice{InstanceNoticeKind::SecondStart, true},
                                        InstanceNotice{InstanceNoticeKind::ExitRequest, false}}) {
        EXPECT_EQ(ParseInstanceNotice(EncodeInstanceNotice(notice)), notice);
    }
    for (const char* bad : {"", "\n", "exit\n\n", "second-start\n", "SECOND-START 1", "exit "})
        EXPECT_FALSE(ParseInstanceNotice(bad).has_value()) << bad;
}

TEST(PrivateFolder, CreatedOrTightenedWhenOwnRefusedWhenALink) {
    TempDir dir;
    const std::string fresh = dir.Path() + "fresh";
    ASSERT_TRUE(EnsurePrivateFolder(fresh));
    struct stat st {};
    ASSERT_EQ(::stat(fresh.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    const std::string open = dir.Path() + "open";
    ASSERT_EQ(::mkdir(open.c_str(), 0777), 0);
    ::chmod(open.c_str(), 0777);
    ASSERT_TRUE(EnsurePrivateFolder(open));
    ASSERT_EQ(::stat(open.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    const std::string link = dir.Path() + "link";
    ASSERT_EQ(::symlink(fresh.c_str(), link.c_str()), 0);
    EXPECT_FALSE(EnsurePrivateFolder(link));
    EXPECT_FALSE(EnsurePrivateFolder(link + "/"));
    const std::string file = dir.Path() + "file";
    ASSERT_TRUE(test::WriteFile(file, "x"));
    EXPECT_FALSE(EnsurePrivateFolder(file));

    if (::geteuid() == 0) {  // only root can hand a folder to someone else
        const std::string foreign = dir.Path() + "foreign";
        ASSERT_EQ(::mkdir(foreign.c_str(), 0700), 0);
        ASSERT_EQ(::chown(foreign.c_str(), 65534, 65534), 0);
        EXPECT_FALSE(EnsurePrivateFolder(foreign));
    }
}

}  // namespace
}  // namespace orvia
