// The call-flow analysis over a fixture folder with one fault of each kind
// (call_flow_fixture/): the findings, and the graph a map would draw.
#include "engine/call_flow_analysis.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <tuple>

#include "store/settings_store.h"
#include "temp_dir.h"

namespace orvia {
namespace {

using Finding = std::tuple<FindingKind, FindingSeverity, std::string, std::string, std::string>;

std::string FixtureFolder() {
    const char* source = std::getenv("ORVIA_SOURCE_DIR");
    return std::string(source ? source : ".") + "/tests/engine/call_flow_fixture/";
}

class CallFlowAnalysisTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A copy: the analysis only reads, but a test never works on the sources.
        std::filesystem::copy(FixtureFolder(), dir_.Path(),
                              std::filesystem::copy_options::recursive);
        SetStore(SettingsStore::ForDataFolder(dir_.Path()));
        analysis_ = AnalyzeCallFlow();
    }

    // Each finding as (kind, severity, file inside the data folder, section, key).
    std::set<Finding> Findings() const {
        std::set<Finding> found;
        for (const CallFlowFinding& f : analysis_.findings) {
            std::string file = f.file;
            if (file.rfind(dir_.Path(), 0) == 0)
                file.erase(0, dir_.Path().size());
            found.emplace(f.kind, f.severity, file, f.section, f.key);
        }
        return found;
    }

    const CallFlowEdge* Edge(const std::string& from, const std::string& label) const {
        const std::optional<std::size_t> node = analysis_.FindNode(from);
        for (const CallFlowEdge& edge : analysis_.edges) {
            if (node && edge.from == *node && edge.label == label)
                return &edge;
        }
        return nullptr;
    }

    test::TempDir dir_;
    CallFlowAnalysis analysis_;
};

TEST_F(CallFlowAnalysisTest, FindsEachKindOfFaultAtItsFileSectionAndKey) {
    using K = FindingKind;
    constexpr FindingSeverity E = FindingSeverity::Error;
    constexpr FindingSeverity W = FindingSeverity::Warning;
    const std::set<Finding> expected = {
        {K::MissingOgm, E, "OGMs/Main.ini", "ivr", "press1go"},
        {K::MissingOgm, E, "settings.ini", "line0", "ogm"},
        {K::MissingMailbox, E, "OGMs/Main.ini", "ivr", "press2mbx"},
        {K::MissingPlayFile, W, "OGMs/Main.ini", "ivr", "press3playfile"},
        {K::MissingArgument, E, "OGMs/Main.ini", "ivr", "press4transfer"},
        {K::UnknownAction, W, "OGMs/Main.ini", "ivr", "press5"},
        {K::UnknownKey, W, "OGMs/Main.ini", "ivr", "press1goo"},
        {K::OutOfRange, W, "OGMs/Main.ini", "ivr", "repeat"},
        {K::MissingNumberList, E, "OGMs/Numbers.ini", "ivr", "varlimitlistfile"},
        {K::MissingRecording, W, "OGMs/Loop A.ini", "", ""},
        {K::MissingRecording, W, "OGMs/Loop B.ini", "", ""},
        {K::SilentLoop, E, "OGMs/Loop A.ini", "ivr", "playcomplete"},
        {K::Unreachable, W, "OGMs/Orphan.ini", "", ""},
        {K::MailboxSetting, E, "MailBoxes/Sales.mbx", "mbx", "emailaddress"},
    };
    EXPECT_EQ(Findings(), expected);
    for (const CallFlowFinding& finding : analysis_.findings)
        EXPECT_FALSE(finding.text.empty());
}

TEST_F(CallFlowAnalysisTest, TheGraphHasEveryOgmAndEveryActionWithItsKeyAndTarget) {
    std::vector<std::string> names;
    for (const CallFlowNode& node : analysis_.nodes)
        names.push_back(node.name);
    EXPECT_THAT(names,
                ::testing::ElementsAre("Loop A", "Loop B", "Main", "Numbers", "Open", "Orphan"));
    EXPECT_THAT(analysis_.answerOgms, ::testing::ElementsAre("Main", "Open", "Gone"));

    const CallFlowNode& main = analysis_.nodes[*analysis_.FindNode("Main")];
    EXPECT_TRUE(main.answers);
    EXPECT_EQ(main.recording, dir_.Path() + "OGMs/Main.wav");
    EXPECT_TRUE(analysis_.nodes[*analysis_.FindNode("Numbers")].numberEntry);
    EXPECT_TRUE(analysis_.nodes[*analysis_.FindNode("Loop B")].reachable);
    EXPECT_TRUE(analysis_.nodes[*analysis_.FindNode("Loop B")].recording.empty());
    EXPECT_FALSE(analysis_.nodes[*analysis_.FindNode("Orphan")].reachable);

    struct Case {
        const char* from;
        const char* label;
        FlowEdgeKind kind;
        FlowTarget target;
        const char* argument;
        const char* to;  // null: no node
    } cases[] = {
        {"Main", "1", FlowEdgeKind::Key, FlowTarget::Ogm, "Salse", nullptr},
        {"Main", "2", FlowEdgeKind::Key, FlowTarget::Mailbox, "Support", nullptr},
        {"Main", "3", FlowEdgeKind::Key, FlowTarget::Play, "/nonexistent/orvia/tune.wav", nullptr},
        {"Main", "4", FlowEdgeKind::Key, FlowTarget::Transfer, "", nullptr},
        {"Main", "6", FlowEdgeKind::Key, FlowTarget::Ogm, "Numbers", "Numbers"},
        {"Main", "9", FlowEdgeKind::Key, FlowTarget::TransferConfirmed, "204", nullptr},
        {"Main", "9 fail", FlowEdgeKind::TransferFail, FlowTarget::Ogm, "Open", "Open"},
        {"Main", "end", FlowEdgeKind::End, FlowTarget::Goodbye, "", nullptr},
        {"Numbers", "#", FlowEdgeKind::Key, FlowTarget::Ogm, "Main", "Main"},
        // An empty "playcomplete" says goodbye.
        {"Numbers", "end", FlowEdgeKind::End, FlowTarget::Goodbye, "", nullptr},
        {"Loop A", "end", FlowEdgeKind::End, FlowTarget::Ogm, "Loop B", "Loop B"},
        {"Open", "0", FlowEdgeKind::Key, FlowTarget::MailboxAccess, "", nullptr},
        {"Orphan", "end", FlowEdgeKind::End, FlowTarget::HangUp, "", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " " + c.label);
        const CallFlowEdge* edge = Edge(c.from, c.label);
        ASSERT_NE(edge, nullptr);
        EXPECT_EQ(edge->kind, c.kind);
        EXPECT_EQ(edge->target, c.target);
        EXPECT_EQ(edge->argument, c.argument);
        if (c.to)
            EXPECT_EQ(edge->to, analysis_.FindNode(c.to));
        else
            EXPECT_FALSE(edge->to.has_value());
    }
    // "gp" is no action: the key does nothing and is no edge.
    EXPECT_EQ(Edge("Main", "5"), nullptr);
    ASSERT_EQ(analysis_.mailboxes.size(), 1u);
    EXPECT_TRUE(analysis_.mailboxes[0].email);
}

TEST_F(CallFlowAnalysisTest, FindingsNameTheNodeAndTheEdgeAMapMarks) {
    struct Case {
        const char* file;
        const char* key;
        const char* node;  // null: none
        const char* edge;  // label of the edge from that node; null: none
    } cases[] = {
        {"OGMs/Main.ini", "press1go", "Main", "1"},
        {"OGMs/Main.ini", "press2mbx", "Main", "2"},
        {"OGMs/Main.ini", "press3playfile", "Main", "3"},
        {"OGMs/Main.ini", "press4transfer", "Main", "4"},
        // A value that is no action makes no edge; an OGM-wide value neither.
        {"OGMs/Main.ini", "press5", "Main", nullptr},
        {"OGMs/Main.ini", "repeat", "Main", nullptr},
        {"OGMs/Loop A.ini", "", "Loop A", nullptr},
        {"OGMs/Orphan.ini", "", "Orphan", nullptr},
        {"settings.ini", "ogm", nullptr, nullptr},
        {"MailBoxes/Sales.mbx", "emailaddress", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + c.key);
        const CallFlowFinding* found = nullptr;
        for (const CallFlowFinding& f : analysis_.findings) {
            if (f.file == dir_.Path() + c.file && f.key == c.key)
                found = &f;
        }
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->node, c.node ? analysis_.FindNode(c.node) : std::nullopt);
        if (c.edge) {
            const CallFlowEdge* edge = Edge(c.node, c.edge);
            ASSERT_NE(edge, nullptr);
            ASSERT_TRUE(found->edge.has_value());
            EXPECT_EQ(&analysis_.edges[*found->edge], edge);
        } else {
            EXPECT_FALSE(found->edge.has_value());
        }
    }
}

TEST(CallFlowAnalysis, TemplateTargetsAreDynamicAndNotCheckedAndAnEmptyFolderHasNoFlow) {
    test::TempDir dir;
    SetStore(SettingsStore::ForDataFolder(dir.Path()));
    ASSERT_TRUE(Store().CreateFolders());
    // No OGM at all: the answer OGM is missing, nothing else is said.
    CallFlowAnalysis empty = AnalyzeCallFlow();
    ASSERT_EQ(empty.findings.size(), 1u);
    EXPECT_EQ(empty.findings[0].kind, FindingKind::MissingOgm);
    EXPECT_EQ(empty.findings[0].key, "ogm");

    ASSERT_TRUE(test::WriteFile(Store().OGMs() + "Default Answering Message.ini",
                                "[ivr]\npress1=go\npress1go=%number%\n"
                                "press2=play\npress2playfile=/x/%cid%.wav\n"));
    const CallFlowAnalysis analysis = AnalyzeCallFlow();
    ASSERT_EQ(analysis.edges.size(), 3u);  // 1, 2 and the end
    EXPECT_TRUE(analysis.edges[0].dynamic);
    EXPECT_TRUE(analysis.edges[1].dynamic);
    for (const CallFlowFinding& finding : analysis.findings)
        EXPECT_EQ(finding.kind, FindingKind::MissingRecording) << finding.text;
}

}  // namespace
}  // namespace orvia
