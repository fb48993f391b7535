#include "platform/process/process_desktop.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <functional>

#include "temp_dir.h"
#include "wait_until.h"

namespace orvia {
namespace {

using test::ReadFile;
using test::ScopedEnv;
using test::TempDir;
using test::WaitUntil;

// Stand-ins for xdg-open and lp on PATH that record their arguments.
class FakeHelpers : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"xdg-open", "lp"}) {
            const std::string path = bin_.Path() + name;
            ASSERT_TRUE(test::WriteFile(
                path, std::string("#!/bin/sh\nprintf '%s|%s|' \"$#\" \"$1\" > \"$FAKE_OUT.") +
                          name + "\"\n"));
            ::chmod(path.c_str(), 0755);
        }
    }

    std::string Recorded(const char* helper) const {
        const std::string path = out_.Path() + "out." + helper;
        std::string text;
        WaitUntil([&] {
            text = ReadFile(path);
            return !text.empty() && text.back() == '|';
        });
        return text;
    }

    TempDir bin_;
    TempDir out_;
    ScopedEnv path_{"PATH", bin_.Path().c_str()};
    ScopedEnv fakeOut_{"FAKE_OUT", (out_.Path() + "out").c_str()};
};

TEST_F(FakeHelpers, HelperGetsTheNameAsOneLiteralArgument) {
    struct Case {
        std::function<bool(const std::string&)> call;
        const char* helper;
        std::string given;
        std::string passed;
    };
    const Case cases[] = {
        {OpenWithDesktop, "xdg-open", "/var/log/Log 24-01-05.txt", "/var/log/Log 24-01-05.txt"},
        {OpenWithDesktop, "xdg-open", "https://example.org/?a=1&b=$(id)",
         "https://example.org/?a=1&b=$(id)"},
        {OpenWithDesktop, "xdg-open", "-n weird.txt", "./-n weird.txt"},
        {PrintWithDesktop, "lp", "/logs/a;rm -rf ~.txt", "/logs/a;rm -rf ~.txt"},
        {PrintWithDesktop, "lp", "-d printer", "./-d printer"},
    };
    for (const Case& c : cases) {
        ::unlink((out_.Path() + "out." + c.helper).c_str());
        ASSERT_TRUE(c.call(c.given)) << c.given;
        EXPECT_EQ(Recorded(c.helper), "1|" + c.passed + "|") << c.given;
    }
}

TEST_F(FakeHelpers, MissingHelperOrEmptyNameIsFalse) {
    EXPECT_FALSE(OpenWithDesktop(""));
    EXPECT_FALSE(PrintWithDesktop(""));
    ScopedEnv emptyPath("PATH", out_.Path().c_str());
    EXPECT_FALSE(OpenWithDesktop("/tmp/file.txt"));
    EXPECT_FALSE(PrintWithDesktop("/tmp/file.txt"));
    EXPECT_FALSE(StartDetached({}));
}

}  // namespace
}  // namespace orvia
