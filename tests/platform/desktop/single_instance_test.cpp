#include "platform/desktop/single_instance.h"

#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <vector>

#include "file_mode_helpers.h"
#include "platform/files/file_modes.h"
#include "platform/files/user_paths.h"
#include "temp_dir.h"
#include "wait_until.h"

namespace orvia {
namespace {

using test::FileExists;
using test::ModeOf;
using test::ReadFile;
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
    // The claim is made in the data folder itself.
    EXPECT_EQ(first.LockPath(), data_.Path() + "orvia.lock");
    EXPECT_EQ(first.SocketPath(), data_.Path() + "orvia.sock");
    EXPECT_TRUE(IsSocket(first.SocketPath()));
    EXPECT_EQ(ModeOf(first.SocketPath()), 0600u);
    EXPECT_EQ(ModeOf(first.LockPath()), NewFileMode(FileAccess::Shared));
    EXPECT_EQ(ReadFile(first.LockPath()), std::to_string(::getpid()) + "\n");

    SingleInstance second(data_.Path(), runtime_.Path());
    EXPECT_EQ(second.Claim(nullptr), InstanceClaim::AlreadyRunning);
    EXPECT_EQ(second.DescribeRunningInstance(),
              "pid " + std::to_string(::getpid()) + ", user " + ::getpwuid(::geteuid())->pw_name);
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

TEST_F(SingleInstanceTest, QueriesAreAnsweredAndNoticesStillArrive) {
    NoticeLog log;
    SingleInstance first(data_.Path(), runtime_.Path());
    const std::string big(100000, 'x');  // more than one socket buffer's worth
    ASSERT_EQ(first.Claim(log.Handler(),
                          [&big](const std::string& request) {
                              return request == "big" ? big : "answer to " + request;
                          }),
              InstanceClaim::First);

    SingleInstance client(data_.Path(), runtime_.Path());
    EXPECT_TRUE(client.OtherInstanceRuns());
    std::string answer;
    ASSERT_TRUE(client.Query("status json", &answer));
    EXPECT_EQ(answer, "answer to status json");
    ASSERT_TRUE(client.Query("big", &answer));
    EXPECT_EQ(answer, big);
    EXPECT_FALSE(client.Query("two\nlines", &answer));
    ASSERT_TRUE(client.Send({InstanceNoticeKind::SecondStart, false}));
    ASSERT_TRUE(log.WaitForCount(1));
}

TEST_F(SingleInstanceTest, AQueryFindsNobodyOrNoAnswer) {
    SingleInstance client(data_.Path(), runtime_.Path());
    std::string answer = "stale";
    EXPECT_FALSE(client.OtherInstanceRuns());
    EXPECT_FALSE(client.Query("status", &answer));
    EXPECT_EQ(answer, "");

    // An instance without a query handler closes the connection unanswered.
    SingleInstance first(data_.Path(), runtime_.Path());
    ASSERT_EQ(first.Claim(nullptr), InstanceClaim::First);
    EXPECT_TRUE(client.OtherInstanceRuns());
    EXPECT_FALSE(client.Query("status", &answer));
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
    EXPECT_EQ(next.SendNotice({InstanceNoticeKind::ExitRequest, false}),
              NoticeDelivery::NotRunning);
    EXPECT_EQ(next.DescribeRunningInstance(), "");
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
    SingleInstance viaLink(link, runtime_.Path());
    SingleInstance viaDots(data_.Path() + "sub/../", runtime_.Path());
    ASSERT_EQ(::mkdir((data_.Path() + "sub").c_str(), 0700), 0);
    EXPECT_EQ(a.Claim(nullptr), InstanceClaim::First);
    EXPECT_EQ(b.Claim(nullptr), InstanceClaim::First);
    EXPECT_EQ(viaLink.Claim(nullptr), InstanceClaim::AlreadyRunning);
    EXPECT_EQ(viaDots.Claim(nullptr), InstanceClaim::AlreadyRunning);
}

TEST_F(SingleInstanceTest, ADataFolderTooDeepForASocketListensInTheRuntimeFolder) {
    std::string deep = data_.Path();
    for (int i = 0; i < 4; ++i) {
        deep += std::string(40, 'd') + "/";
        ASSERT_EQ(::mkdir(deep.c_str(), 0700), 0);
    }
    NoticeLog log;
    SingleInstance first(deep, runtime_.Path());
    ASSERT_EQ(first.Claim(log.Handler()), InstanceClaim::First);
    EXPECT_EQ(first.SocketPath(), runtime_.Path() + InstanceSocketName(deep));
    EXPECT_TRUE(FileExists(deep + "orvia.lock"));
    SingleInstance second(deep, runtime_.Path());
    EXPECT_EQ(second.Claim(nullptr), InstanceClaim::AlreadyRunning);
    ASSERT_TRUE(second.Send({InstanceNoticeKind::SecondStart, false}));
    ASSERT_TRUE(log.WaitForCount(1));

    // With no folder for its socket at all the claim fails and says why.
    SingleInstance nowhere(deep + "elsewhere/", runtime_.Path() + std::string(120, 'r') + "/");
    ASSERT_EQ(::mkdir((deep + "elsewhere").c_str(), 0700), 0);
    EXPECT_TRUE(nowhere.SocketPath().empty());
    EXPECT_EQ(nowhere.Claim(nullptr), InstanceClaim::Failed);
    EXPECT_NE(nowhere.Problem().find("socket"), std::string::npos) << nowhere.Problem();
    EXPECT_EQ(nowhere.SendNotice({InstanceNoticeKind::SecondStart, false}),
              NoticeDelivery::NotRunning);
}

TEST_F(SingleInstanceTest, AMissingDataFolderOrAForeignLockFileIsReportedNotClaimed) {
    SingleInstance missing(data_.Path() + "missing/", runtime_.Path());
    EXPECT_EQ(missing.Claim(nullptr), InstanceClaim::Failed);
    EXPECT_NE(missing.Problem().find("missing/orvia.lock"), std::string::npos) << missing.Problem();

    // A lock name that is a folder (or a link) is never taken for the lock.
    ASSERT_EQ(::mkdir((data_.Path() + "orvia.lock").c_str(), 0700), 0);
    SingleInstance odd(data_.Path(), runtime_.Path());
    EXPECT_EQ(odd.Claim(nullptr), InstanceClaim::Failed);
    EXPECT_FALSE(odd.Problem().empty());
}

// A start under another user id, in a child that drops root's rights: what it
// finds and what becomes of its notice. Its result comes back as the exit
// status: 10 x claim + delivery (delivery 9: not sent).
constexpr uid_t kOtherUser = 65534;

int ChildStart(const std::string& data, const std::string& runtime) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0)
            ::_exit(99);
        SingleInstance instance(data, runtime);
        const InstanceClaim claim = instance.Claim(nullptr);
        int delivery = 9;
        if (claim == InstanceClaim::AlreadyRunning)
            delivery =
                static_cast<int>(instance.SendNotice({InstanceNoticeKind::SecondStart, true}, 200));
        ::_exit(static_cast<int>(claim) * 10 + delivery);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

int Code(InstanceClaim claim, NoticeDelivery delivery) {
    return static_cast<int>(claim) * 10 + static_cast<int>(delivery);
}

class OtherUserTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0)
            GTEST_SKIP() << "needs root: a start under another user id is made by a child "
                            "that drops from root to uid 65534";
        // The other user must reach the data folder's parent and have a
        // runtime folder of its own.
        ASSERT_EQ(::chmod(dir_.Path().c_str(), 0755), 0);
        ASSERT_EQ(::mkdir(runtime_.c_str(), 0700), 0);
        ASSERT_EQ(::chown(runtime_.c_str(), kOtherUser, kOtherUser), 0);
        ASSERT_EQ(::mkdir(data_.c_str(), 0755), 0);
    }

    TempDir dir_;
    std::string runtime_ = dir_.Path() + "run-other/";
    std::string data_ = dir_.Path() + "data/";
};

TEST_F(OtherUserTest, AStartOfAnotherUserFindsTheRunningInstance) {
    NoticeLog log;
    SingleInstance service(data_, dir_.Path());
    ASSERT_EQ(service.Claim(log.Handler()), InstanceClaim::First);

    // The other user finds the instance through the lock file in the data
    // folder, and is told that its notice cannot reach root's socket.
    EXPECT_EQ(ChildStart(data_, runtime_),
              Code(InstanceClaim::AlreadyRunning, NoticeDelivery::NoPermission));
    // The same when the data folder is private: the lock file cannot even be
    // opened, and the claim fails instead of starting a second instance.
    ASSERT_EQ(::chmod(data_.c_str(), 0700), 0);
    EXPECT_EQ(ChildStart(data_, runtime_) / 10, static_cast<int>(InstanceClaim::Failed));
    ASSERT_EQ(::chmod(data_.c_str(), 0755), 0);
    EXPECT_TRUE(log.Notices().empty());
}

TEST_F(OtherUserTest, RootsStartReachesTheInstanceOfAnotherUser) {
    ASSERT_EQ(::chown(data_.c_str(), kOtherUser, kOtherUser), 0);
    // The other user's instance runs in a child until the pipe closes; it
    // reports each notice it receives by a byte on the other pipe.
    int ready[2], done[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(done), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(ready[0]);
        ::close(done[1]);
        if (::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0)
            ::_exit(99);
        const int report = ready[1];
        SingleInstance instance(data_, runtime_);
        const InstanceClaim claim = instance.Claim([report](const InstanceNotice& notice) {
            const char byte = notice.logon ? 'L' : 'S';
            [[maybe_unused]] ssize_t n = ::write(report, &byte, 1);
        });
        const char byte = claim == InstanceClaim::First ? 'F' : 'X';
        [[maybe_unused]] ssize_t n = ::write(report, &byte, 1);
        char end;
        n = ::read(done[0], &end, 1);  // until the parent closes it
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(done[0]);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    EXPECT_EQ(byte, 'F');

    SingleInstance root(data_, dir_.Path());
    EXPECT_EQ(root.Claim(nullptr), InstanceClaim::AlreadyRunning);
    EXPECT_NE(root.DescribeRunningInstance().find("user nobody"), std::string::npos)
        << root.DescribeRunningInstance();
    EXPECT_EQ(root.SendNotice({InstanceNoticeKind::SecondStart, true}), NoticeDelivery::Delivered);
    EXPECT_EQ(::read(ready[0], &byte, 1), 1);
    EXPECT_EQ(byte, 'L');

    ::close(done[1]);
    int status = 0;
    EXPECT_EQ(::waitpid(child, &status, 0), child);
    ::close(ready[0]);
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
