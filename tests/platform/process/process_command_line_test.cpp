#include "platform/process/process_command_line.h"

#include <gtest/gtest.h>

namespace orvia {
namespace {

struct SplitCase {
    const char* line;
    std::vector<std::string> args;
};

TEST(SplitCommandLine, SplitsOnBlanksGroupsQuotesAndLeavesEverythingElseLiteral) {
    const SplitCase cases[] = {
        {"", {}},
        {"  \t  ", {}},
        {"plugin", {"plugin"}},
        {"  a   b\tc  ", {"a", "b", "c"}},
        {"\"/opt/my plugins/lookup\" 204", {"/opt/my plugins/lookup", "204"}},
        {"x\"a b\"y", {"xa by"}},
        {"a \"\" b", {"a", "", "b"}},
        {"\"\"", {""}},
        {"a\"\"b", {"ab"}},
        {"run \"open to the end", {"run", "open to the end"}},
        {"a;rm -rf /", {"a;rm", "-rf", "/"}},
        {"echo $(touch x) `id` | cat > y && z",
         {"echo", "$(touch", "x)", "`id`", "|", "cat", ">", "y", "&&", "z"}},
        {"C:\\tools\\a.exe \\\"b c\\\"", {"C:\\tools\\a.exe", "\\b c\\"}},
        {"'single quotes' stay", {"'single", "quotes'", "stay"}},
    };
    for (const SplitCase& c : cases)
        EXPECT_EQ(SplitCommandLine(c.line), c.args) << "line: " << c.line;
}

}  // namespace
}  // namespace orvia
