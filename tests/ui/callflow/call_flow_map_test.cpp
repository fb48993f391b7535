// The call-flow map over the analysis fixture (one fault of each kind): a
// card per OGM, an arrow per action with its key, the broken references
// marked where they are, the findings listed, and double-clicks opening the
// properties of what they hit. The menu entry of the main window.
#include "ui/callflow/call_flow_map.h"

#include <QAction>
#include <QGraphicsPathItem>
#include <QGraphicsView>
#include <QLabel>
#include <QTest>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>

#include "ogm_fixtures.h"
#include "store/settings_store.h"
#include "ui/callflow/call_flow_scene.h"
#include "ui/main/main_window.h"

namespace orvia::test {
namespace {

std::string FixtureFolder() {
    const char* source = std::getenv("ORVIA_SOURCE_DIR");
    return std::string(source ? source : ".") + "/tests/engine/call_flow_fixture/";
}

class CallFlowMapTest : public OgmEditorTest {
protected:
    CallFlowMapTest() {
        std::filesystem::copy(FixtureFolder(), Store().DataFolder(),
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing);
    }

    static QString Mark(const QGraphicsItem* item) {
        return item != nullptr ? item->data(kFlowMarkRole).toString() : "<none>";
    }
    std::size_t Node(const CallFlowScene& scene, const char* name) const {
        return scene.Analysis().FindNode(name).value();
    }
    std::size_t Edge(const CallFlowScene& scene, const char* from, const char* label) const {
        const CallFlowAnalysis& analysis = scene.Analysis();
        for (std::size_t i = 0; i < analysis.edges.size(); ++i) {
            if (analysis.edges[i].from == Node(scene, from) && analysis.edges[i].label == label)
                return i;
        }
        ADD_FAILURE() << "no edge " << from << " " << label;
        return 0;
    }
    // Double-clicks the middle of an item of the map.
    static void DoubleClick(CallFlowMapDialog& map, const QGraphicsItem* item) {
        const QPoint at = map.View()->mapFromScene(item->sceneBoundingRect().center());
        QTest::mouseDClick(map.View()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }
};

TEST_F(CallFlowMapTest, EveryOgmAndActionIsDrawnAndWhatIsBrokenIsMarkedWhereItIs) {
    CallFlowMapDialog map(nullptr, services_);
    map.Prepare();
    const CallFlowScene& scene = *map.Scene();
    const CallFlowAnalysis& analysis = scene.Analysis();
    ASSERT_EQ(analysis.nodes.size(), 6u);
    for (std::size_t i = 0; i < analysis.nodes.size(); ++i)
        EXPECT_NE(scene.NodeItem(i), nullptr) << analysis.nodes[i].name;
    for (std::size_t i = 0; i < analysis.edges.size(); ++i)
        EXPECT_NE(scene.EdgeItem(i), nullptr) << analysis.edges[i].label;

    struct Case {
        const char* what;
        const QGraphicsItem* item;
        const char* mark;
    } cases[] = {
        // A go to an OGM that does not exist: the arrow and its box.
        {"go to Salse", scene.EdgeItem(Edge(scene, "Main", "1")), "error"},
        {"box of Salse", scene.EndItem(Edge(scene, "Main", "1")), "error"},
        // A mailbox that does not exist, and one that does.
        {"to Support", scene.EdgeItem(Edge(scene, "Main", "2")), "error"},
        {"mailbox Support", scene.MailboxItem("Support"), "error"},
        {"mailbox Sales", scene.MailboxItem("Sales"), "error"},  // e-mail without an address
        // A file to play that is missing.
        {"play tune.wav", scene.EndItem(Edge(scene, "Main", "3")), "warning"},
        // A missing recording.
        {"Loop A recording", scene.RecordingItem(Node(scene, "Loop A")), "warning"},
        {"Main recording", scene.RecordingItem(Node(scene, "Main")), ""},
        // An OGM no answer OGM reaches.
        {"Orphan", scene.NodeItem(Node(scene, "Orphan")), "unreached"},
        {"go to Numbers", scene.EdgeItem(Edge(scene, "Main", "6")), ""},
        {"rejected transfer", scene.EdgeItem(Edge(scene, "Main", "9 fail")), ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Mark(c.item), c.mark) << c.what;
    // Arrows to cards and mailboxes have no box of their own.
    EXPECT_EQ(scene.EndItem(Edge(scene, "Main", "6")), nullptr);
    EXPECT_EQ(scene.EndItem(Edge(scene, "Main", "2")), nullptr);
    EXPECT_TRUE(scene.EdgeItem(Edge(scene, "Main", "1"))->toolTip().contains("Salse"));

    EXPECT_EQ(map.Findings()->topLevelItemCount(), static_cast<int>(analysis.findings.size()));
    EXPECT_TRUE(map.Summary()->text().startsWith("6 OGMs, 1 mailbox: "));
}

TEST_F(CallFlowMapTest, DoubleClickingACardOrAMailboxOpensItsPropertiesAndRedraws) {
    CallFlowMapDialog map(nullptr, services_);
    map.resize(1200, 800);
    map.Prepare();
    map.show();
    QCoreApplication::processEvents();
    const CallFlowScene& scene = *map.Scene();

    questions_.QueueDialog([](QDialog& sheet) {
        EXPECT_EQ(sheet.windowTitle(), "OGM Properties");
        sheet.reject();
    });
    DoubleClick(map, scene.NodeItem(Node(scene, "Numbers")));
    questions_.QueueDialog([](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Sales");
        dialog.reject();
    });
    DoubleClick(map, scene.MailboxItem("Sales"));
    EXPECT_EQ(questions_.dialogsRun, (std::vector<QString>{"OGM Properties", "Sales"}));

    // A double-click on a finding opens what it is about; the map is drawn
    // from the files again afterwards.
    ASSERT_TRUE(WriteFile(Store().OGMs() + "Salse.ini", "[ivr]\n"));
    const QList<QTreeWidgetItem*> found =
        map.Findings()->findItems("OGMs/Main.ini [ivr] press1go", Qt::MatchExactly, 1);
    ASSERT_EQ(found.size(), 1);
    QTreeWidgetItem* finding = found[0];
    questions_.QueueDialog([](QDialog& sheet) { sheet.reject(); });
    map.Findings()->setCurrentItem(finding);
    emit map.Findings()->itemDoubleClicked(finding, 0);
    EXPECT_TRUE(map.Scene()->Analysis().FindNode("Salse").has_value());
    map.hide();
}

class CallFlowMenuTest : public DesktopTest {};

TEST_F(CallFlowMenuTest, TheOgmMenuOpensTheMapWhenItIsThere) {
    data_.Ogm("Default Answering Message");
    int opened = 0;
    dialogs_.callFlowMap = [&](QWidget*) { ++opened; };
    Create();
    ASSERT_TRUE(Window().Actions().ogmMap->isEnabled());
    Window().Actions().ogmMap->trigger();
    EXPECT_EQ(opened, 1);
}

}  // namespace
}  // namespace orvia::test
