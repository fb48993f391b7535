// Call variables, template expansion and the rule for names from callers.
#include <optional>
#include <string>

#include "engine/action_table.h"
#include "engine/ivr_variables.h"
#include "engine/safe_name.h"
#include "engine/template.h"
#include "engine_fixture.h"
#include "store/date_text.h"

namespace orvia::test {
namespace {

TEST(IVRVariablesTest, SetReplacesSameCaseLookupFindsNewestOfAnyCase) {
    IVRVariables variables;
    variables.Set("Number", "1");
    variables.Set("number", "2");
    variables.Set("Number", "3");
    EXPECT_EQ(variables.Size(), 2u);
    // "number" was created last, so a lookup of any case finds it.
    EXPECT_EQ(variables.Get("NUMBER", "-"), "2");
    variables.Set("other", "x");
    EXPECT_EQ(variables.Get("Other", "-"), "x");
    EXPECT_EQ(variables.Get("missing", "-"), "-");
    EXPECT_EQ(variables.Find("missing"), nullptr);
    variables.Set("", "empty name");
    EXPECT_EQ(variables.Get("", "-"), "empty name");
    variables.Clear();
    EXPECT_EQ(variables.Get("number", "-"), "-");
}

TEST(IsSafeNameTest, NamesThatStayInTheirFolder) {
    struct Case {
        std::string name;
        bool safe;
    } cases[] = {
        {"Sales", true},       {"", true},
        {"...", true},         {"a..b", true},
        {"..", false},         {".", false},
        {"a/b", false},        {"/etc/passwd", false},
        {"../x", false},       {std::string("a\0b", 3), false},
        {"back\\slash", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IsSafeName(c.name), c.safe);
    }
}

TEST(ActionTableTest, ValuesCompareWithoutRegardToCase) {
    EXPECT_EQ(ParseAction("GoodBye"), IVRAction::Goodbye);
    EXPECT_EQ(ParseAction("TRANSFERCONFIRMED"), IVRAction::TransferConfirmed);
    EXPECT_EQ(ParseAction("noResponse"), IVRAction::NoResponse);
    EXPECT_EQ(ParseAction(""), IVRAction::None);
    EXPECT_EQ(ParseAction("go "), IVRAction::None);
}

class TemplateTest : public EngineTest {
protected:
    TemplateTest() {
        context.variables = &variables;
        context.callerNumber = number;
        context.callerName = name;
        context.lineIndex = 3;
        context.lineSection = "line3";
    }

    std::string Expand(const std::string& text) { return ExpandTemplate(text, context); }

    IVRVariables variables;
    std::string number = "5551234";
    std::string name = "Ann";
    TemplateContext context;
};

TEST_F(TemplateTest, PlaceholdersAndPrecedence) {
    Setting("line3", "name", "Front Desk");
    variables.Set("number", "42");
    variables.Set("date", "not the date");
    variables.Set("CID", "not the caller");
    variables.Set(" off", "!");
    const std::string date = FormatDateText(LocalNow());
    struct Case {
        const char* text;
        std::string expanded;
    } cases[] = {
        {"%cid%", "5551234"},
        {"%CID% calling", "5551234 calling"},
        {"%number% items", "42 items"},
        {"%NUMBER%", "42"},
        {"%date%", date},
        {"%Time%", "10:00:00"},
        {"%callername%/%linenumber%/%linename%", "Ann/3/Front Desk"},
        {"%missing%", ""},
        {"%%", ""},
        {"100%", "100"},
        {"50% off", "50!"},
        {"no placeholders", "no placeholders"},
        {"%number%%number%", "4242"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Expand(c.text), c.expanded);
    }
}

TEST_F(TemplateTest, LineNameDefaultsToTheSectionName) {
    EXPECT_EQ(Expand("%linename%"), "line3");
}

TEST_F(TemplateTest, ResultIsCutAt259Characters) {
    variables.Set("long", std::string(300, 'x'));
    EXPECT_EQ(Expand("ab%long%cd"), "ab" + std::string(257, 'x'));
    EXPECT_EQ(Expand(std::string(300, 'y') + "%cid%"), std::string(259, 'y'));
    // A long placeholder name keeps its first 259 characters.
    variables.Set(std::string(259, 'n'), "found");
    EXPECT_EQ(Expand("%" + std::string(270, 'n') + "%"), "found");
    // Text without any placeholder is left exactly as it was.
    EXPECT_EQ(Expand(std::string(300, 'z')), std::string(300, 'z'));
}

TEST_F(TemplateTest, FileNamesWithCallerValuesStayInTheirFolder) {
    struct Case {
        const char* caller;
        std::optional<std::string> name;
    } cases[] = {
        {"5551234", "Calls 5551234"},
        {"../../etc/x", std::nullopt},
        {"a/b", std::nullopt},
        {"", "Calls "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caller);
        number = c.caller;
        context.callerNumber = number;
        EXPECT_EQ(ExpandFileName("Calls %cid%", context), c.name);
    }
    number = "..";
    context.callerNumber = number;
    EXPECT_EQ(ExpandFileName("%cid%", context), std::nullopt);
    // The date holds "/": a name built from it would need sub-folders.
    EXPECT_EQ(ExpandFileName("Log %date%", context), std::nullopt);
}

TEST_F(TemplateTest, FullPathsKeepTheAdministratorsPartsButCheckCallerValues) {
    struct Case {
        const char* text;
        const char* variable;
        std::optional<std::string> path;
    } cases[] = {
        {"/srv/sounds/%v%.wav", "7", "/srv/sounds/7.wav"},
        {"/srv/sounds/%v%.wav", "../../etc/secret", std::nullopt},
        {"/srv/sounds/%v%", "..", std::nullopt},
        {"/srv/../sounds/%v%.wav", "7", "/srv/../sounds/7.wav"},
        // Two harmless parts that join into a "..".
        {"/srv/.%v%/x.wav", ".", std::nullopt},
        {"/srv/%linename%/x.wav", "", "/srv/line3/x.wav"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + std::string(" with ") + c.variable);
        variables.Set("v", c.variable);
        EXPECT_EQ(ExpandFullPath(c.text, context), c.path);
    }
    number = "1/2";
    context.callerNumber = number;
    EXPECT_EQ(ExpandFullPath("/srv/%cid%.wav", context), std::nullopt);
}

}  // namespace
}  // namespace orvia::test
