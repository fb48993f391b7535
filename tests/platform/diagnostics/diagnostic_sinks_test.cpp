#include "platform/diagnostics/diagnostic_sinks.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/time/clock.h"
#include "temp_dir.h"

namespace orvia {
namespace {

using test::FileExists;
using test::ReadFile;
using test::TempDir;

DiagnosticEvent Event(DiagnosticLevel level, const std::string& subsystem,
                      const std::string& text) {
    DiagnosticEvent event;
    event.level = level;
    event.subsystem = subsystem;
    event.text = text;
    event.when = MakeLocalSeconds({2026, 12, 10, 6, 33, 42, 0});
    return event;
}

class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(DiagnosticSinksTest, StandardErrorLinesCarryTheJournalPriorityOnlyUnderTheJournal) {
    const DiagnosticEvent error = Event(DiagnosticLevel::Error, "sip", "address in use");
    const DiagnosticEvent warning = Event(DiagnosticLevel::Warning, "engine", "no recording");
    const DiagnosticEvent info = Event(DiagnosticLevel::Info, "line", "answered");

    const StandardErrorSink journal(StandardErrorSink::Style::Journal);
    EXPECT_EQ(journal.Line(error), "<3>error [sip] address in use\n");
    EXPECT_EQ(journal.Line(warning), "<4>warning [engine] no recording\n");
    EXPECT_EQ(journal.Line(info), "<6>info [line] answered\n");
    const StandardErrorSink terminal(StandardErrorSink::Style::Plain);
    EXPECT_EQ(terminal.Line(error), "orvia: error [sip] address in use\n");

    // The sink writes whole lines to its descriptor, leaving out what is
    // less important than it was asked to show.
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    StandardErrorSink piped(StandardErrorSink::Style::Journal, fds[1], DiagnosticLevel::Warning);
    piped.Write(info);
    piped.Write(warning);
    ::close(fds[1]);
    char buffer[128] = {};
    const ssize_t n = ::read(fds[0], buffer, sizeof buffer - 1);
    ::close(fds[0]);
    EXPECT_EQ(std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0),
              "<4>warning [engine] no recording\n");
}

TEST(DiagnosticSinksTest, TheJournalStreamIsRecognisedByDeviceAndInode) {
    TempDir dir;
    const int fd = ::open((dir.Path() + "stream").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    struct stat st {};
    ASSERT_EQ(::fstat(fd, &st), 0);
    const std::string same = std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
    const std::string other = std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino + 1);
    {
        ScopedEnv env("JOURNAL_STREAM", same);
        EXPECT_TRUE(IsJournalStream(fd));
    }
    {
        // Inherited by a process whose standard error went elsewhere.
        ScopedEnv env("JOURNAL_STREAM", other);
        EXPECT_FALSE(IsJournalStream(fd));
    }
    {
        ScopedEnv env("JOURNAL_STREAM", "garbage");
        EXPECT_FALSE(IsJournalStream(fd));
    }
    ::close(fd);
}

TEST(DiagnosticSinksTest, TheEventsFileIsPrivateStampedAndRotatedBySize) {
    TempDir dir;
    const std::string path = dir.Path() + kEventsFileName;
    EventsFileSink sink(path, {200, 2});
    const DiagnosticEvent event = Event(DiagnosticLevel::Error, "delivery", "mail refused");
    const std::string line = EventsFileSink::Line(event);
    EXPECT_EQ(line, "2026-12-10 06:33:42 error [delivery] mail refused\n");

    sink.Write(event);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(ReadFile(path), line);

    // 50 bytes a line, 200 bytes a file: four lines each, two old files kept.
    ASSERT_EQ(line.size(), 50u);
    for (int i = 1; i < 16; ++i)
        sink.Write(event);
    EXPECT_EQ(ReadFile(path).size(), 4 * line.size());
    EXPECT_EQ(ReadFile(path + ".1").size(), 4 * line.size());
    EXPECT_EQ(ReadFile(path + ".2").size(), 4 * line.size());
    EXPECT_FALSE(FileExists(path + ".3"));
}

TEST(DiagnosticSinksTest, AnExistingFileIsAppendedToAndMadePrivate) {
    TempDir dir;
    const std::string path = dir.Path() + kEventsFileName;
    ASSERT_TRUE(test::WriteFile(path, "earlier\n"));
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    {
        EventsFileSink sink(path);
        sink.Write(Event(DiagnosticLevel::Info, "line", "opened"));
    }
    EXPECT_EQ(ReadFile(path), "earlier\n2026-12-10 06:33:42 info [line] opened\n");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(DiagnosticSinksTest, AFifoInThePlaceOfTheFileNeitherBlocksNorIsWritten) {
    TempDir dir;
    const std::string path = dir.Path() + kEventsFileName;
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    EventsFileSink sink(path);
    sink.Write(Event(DiagnosticLevel::Warning, "line", "nobody reads this"));  // returns at once
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

}  // namespace
}  // namespace orvia
