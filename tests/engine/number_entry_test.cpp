// Number entry: completion by "#" and by "maxdigits", the range and list
// checks, the call variable it sets and the actions it runs.
#include <string>
#include <utility>
#include <vector>

#include "engine/number_entry.h"
#include "engine_fixture.h"
#include "store/settings_store.h"

namespace orvia::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(ListContainsTest, ItemsArePrefixesOfTheDigits) {
    struct Case {
        const char* list;
        const char* digits;
        bool in;
    } cases[] = {
        {"12, 345", "12", true},   {"12, 345", "123", true}, {"12, 345", "3456", true},
        {"12, 345", "1", false},   {"12, 345", "34", false}, {" 7 ,, ,8", "8", true},
        {"", "1", false},          {",,", "", false},        {"0, 9", "05", true},
        {"\t99\r\n", "995", true}, {"1 2", "12", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("list \"") + c.list + "\" digits " + c.digits);
        EXPECT_EQ(ListContains(c.list, c.digits), c.in);
    }
}

class NumberEntryTest : public EngineTest {
protected:
    NumberEntryTest() {
        Setting("settings", "ogm", "Enter");
        Ogm("Enter", "type", "EnterNumber");
        Ogm("Enter", "press#", "go");
        Ogm("Enter", "press#go", "Thanks");
        Recording("Enter");
        Ogm("Thanks", "log", "true");
        Ogm("Thanks", "logname", "Numbers");
        Ogm("Thanks", "logline", "%number%");
        Recording("Thanks");
    }

    // Answers, enters the keys during the OGM's recording and returns what
    // followed: "accepted <number>", "invalid", or the line operations.
    std::string Enter(const std::string& keys) {
        EXPECT_TRUE(line.Answer());
        Ops();
        Keys(keys);
        std::vector<std::string> ops = Ops();
        line.HangUpCall();
        if (ops == std::vector<std::string>{PlayOf("Thanks")}) {
            const std::string entries = SpecialLogEntries("Numbers");
            return "accepted " + entries.substr(entries.rfind("\r\n") + 2);
        }
        if (ops == std::vector<std::string>{PromptOf("InvalidNumber")})
            return "invalid";
        std::string text;
        for (const std::string& op : ops)
            text += op + ";";
        return text;
    }
};

TEST_F(NumberEntryTest, EntryCompletesByHashOrAtMaxdigits) {
    struct Case {
        const char* maxdigits;  // null: default 4
        const char* keys;
        const char* result;
    } cases[] = {
        {nullptr, "1234", "accepted 1234"},
        {nullptr, "12#", "accepted 12"},
        {nullptr, "#", "accepted "},
        {nullptr, "1A2B#", "accepted 12"},
        {nullptr, "123", ""},
        {"2", "98", "accepted 98"},
        {"30", "12345678901234567890123#", "accepted 1234567890123456789"},
        // Compared as an 8-bit value: 260 completes at 4 digits.
        {"260", "4321", "accepted 4321"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.maxdigits ? c.maxdigits : "-") + " " + c.keys);
        std::string text = "[ivr]\ntype=EnterNumber\npress#=go\npress#go=Thanks\n";
        if (c.maxdigits)
            text += std::string("maxdigits=") + c.maxdigits + "\n";
        OgmText("Enter", text);
        EXPECT_EQ(Enter(c.keys), c.result);
    }
}

TEST_F(NumberEntryTest, RangeAndListChecks) {
    const std::string listFile = dir.Path() + "allowed.txt";
    ASSERT_TRUE(WriteFile(listFile, "555, 7\r\n"));
    const std::string emptyFile = dir.Path() + "empty.txt";
    ASSERT_TRUE(WriteFile(emptyFile, ""));
    struct Case {
        std::vector<std::pair<const char*, std::string>> keys;
        const char* entry;
        const char* result;
    } cases[] = {
        {{{"varlimit", "true"}}, "10000#", "accepted 10000"},
        {{{"varlimit", "true"}}, "10001#", "invalid"},
        {{{"varlimit", "true"}}, "#", "accepted "},
        {{{"varlimit", "true"}, {"varlimitmin", "100"}}, "99#", "invalid"},
        {{{"varlimit", "true"}, {"varlimitmin", "100"}, {"varlimitmax", "200"}},
         "0150#",
         "accepted 0150"},
        {{{"varlimit", "false"}, {"varlimitmax", "5"}}, "99#", "accepted 99"},
        // 19 digits are far above any 32-bit limit.
        {{{"varlimit", "true"}, {"varlimitmax", "2147483647"}}, "9999999999999999999#", "invalid"},
        {{{"varlimitlistenabled", "true"}, {"varlimitlist", "12, 345"}}, "123#", "accepted 123"},
        {{{"varlimitlistenabled", "true"}, {"varlimitlist", "12, 345"}}, "34#", "invalid"},
        {{{"varlimitlistenabled", "false"}, {"varlimitlist", "12"}}, "34#", "accepted 34"},
        {{{"varlimitlistenabled", "true"},
          {"varlimitlist", "0, 9"},
          {"varlimitlistexclude", "true"}},
         "05#",
         "invalid"},
        {{{"varlimitlistenabled", "true"},
          {"varlimitlist", "0, 9"},
          {"varlimitlistexclude", "true"}},
         "15#",
         "accepted 15"},
        {{{"varlimitlistenabled", "true"},
          {"varlimitlistisfile", "true"},
          {"varlimitlistfile", listFile}},
         "5551#",
         "accepted 5551"},
        {{{"varlimitlistenabled", "true"},
          {"varlimitlistisfile", "true"},
          {"varlimitlistfile", listFile}},
         "55#",
         "invalid"},
        {{{"varlimitlistenabled", "true"},
          {"varlimitlistisfile", "true"},
          {"varlimitlistfile", listFile},
          {"varlimitlistexclude", "true"}},
         "70#",
         "invalid"},
        // No list at all: a file that cannot be read or is empty.
        {{{"varlimitlistenabled", "true"},
          {"varlimitlistisfile", "true"},
          {"varlimitlistfile", dir.Path() + "missing.txt"}},
         "3#",
         "accepted 3"},
        {{{"varlimitlistenabled", "true"},
          {"varlimitlistisfile", "true"},
          {"varlimitlistfile", emptyFile}},
         "3#",
         "accepted 3"},
        {{{"varlimitlistenabled", "true"},
          {"varlimitlistisfile", "true"},
          {"varlimitlistfile", dir.Path()}},
         "3#",
         "accepted 3"},
        // Both checks: the range first.
        {{{"varlimit", "true"},
          {"varlimitmax", "50"},
          {"varlimitlistenabled", "true"},
          {"varlimitlist", "6"}},
         "60#",
         "invalid"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        std::string text = "[ivr]\ntype=enternumber\nmaxdigits=30\npress#=go\npress#go=Thanks\n";
        for (const auto& [key, value] : c.keys)
            text += std::string(key) + "=" + value + "\n";
        OgmText("Enter", text);
        EXPECT_EQ(Enter(c.entry), c.result);
    }
}

TEST_F(NumberEntryTest, RefusedNumberRestartsTheOgmWithAnEmptyBuffer) {
    Ogm("Enter", "varlimit", "true");
    Ogm("Enter", "varlimitmax", "20");
    ASSERT_TRUE(line.Answer());
    Keys("99#");
    // The keys stay number keys while the prompt plays.
    Keys("1");
    ASSERT_TRUE(line.FinishPlay());
    Keys("12#");
    EXPECT_THAT(Ops(), ElementsAre(PlayOf("Enter"), PromptOf("InvalidNumber"), PlayOf("Enter"),
                                   PlayOf("Thanks")));
    EXPECT_EQ(SpecialLogEntries("Numbers"), "\r\n12");
}

TEST_F(NumberEntryTest, UnhandledHashHangsUpAndStarRunsItsOwnAction) {
    Ogm("Enter", "press#", "noresponse");
    ASSERT_TRUE(line.Answer());
    Keys("12#");
    EXPECT_THAT(Ops(), ElementsAre(PlayOf("Enter"), "drop"));
    line.HangUpCall();

    Ogm("Enter", "press*", "goodbye");
    ASSERT_TRUE(line.Answer());
    Ops();
    Keys("1*");
    EXPECT_THAT(Ops(), ElementsAre(PromptOf("GoodBye")));
    line.HangUpCall();

    Ogm("Enter", "press*", "");
    ASSERT_TRUE(line.Answer());
    Ops();
    Keys("1*");
    EXPECT_THAT(Ops(), IsEmpty());
}

TEST_F(NumberEntryTest, VariableNameIsATemplateAndLookupIgnoresCase) {
    Ogm("Enter", "varname", "Code%linenumber%");
    Ogm("Thanks", "logline", "%code0%|%number%");
    EXPECT_EQ(Enter("77#"), "accepted 77|");
}

TEST_F(NumberEntryTest, MenuTypeTakesKeysAsChoices) {
    Ogm("Enter", "type", "menu");
    Ogm("Enter", "press1", "hangup");
    ASSERT_TRUE(line.Answer());
    Ops();
    Keys("1");
    EXPECT_THAT(Ops(), ElementsAre("drop"));
}

}  // namespace
}  // namespace orvia::test
