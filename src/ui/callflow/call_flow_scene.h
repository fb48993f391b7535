// The call-flow map as a drawing: CallFlowScene turns the result of
// AnalyzeCallFlow() into graphics items and does no analysis of its own.
//
// Every OGM is a card in a column by its distance from the answer OGMs (the
// OGMs no answer OGM reaches are drawn below the others, dashed). Each key
// action, end-of-message action, rejected-transfer action and redirection of
// the OGM is a row of its card, labelled with its key, with an arrow to
// where it leads: another OGM's card, a mailbox in the last column, or a
// small box beside the card for a transfer, a file played or recorded,
// remote access, goodbye or hang-up. What the analysis found wrong is
// marked where it is: a red (error) or orange (warning) arrow and box, a red
// line on the card for a missing recording, a dashed red box for an OGM or
// mailbox that does not exist; the finding's sentence is the tooltip.
//
// Main thread only.
#pragma once

#include <QGraphicsScene>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/call_flow_analysis.h"

class QGraphicsItem;
class QGraphicsPathItem;

namespace orvia {

// How an item is marked (item->data(kFlowMarkRole)): "error", "warning",
// "unreached" or empty.
inline constexpr int kFlowMarkRole = 1;

class CallFlowScene : public QGraphicsScene {
    Q_OBJECT

public:
    explicit CallFlowScene(QObject* parent = nullptr);

    // Draws the analysis, replacing what was drawn.
    void Show(CallFlowAnalysis analysis);
    const CallFlowAnalysis& Analysis() const { return analysis_; }

    // What a double-click at a scene point opens: an OGM's or an existing
    // mailbox's properties.
    struct Target {
        enum class Kind { None, Ogm, Mailbox } kind = Kind::None;
        std::string name;
    };
    Target TargetAt(QPointF scenePoint) const;

    // The items, for selection and for the tests.
    QGraphicsItem* NodeItem(std::size_t node) const;
    QGraphicsItem* MailboxItem(const std::string& name) const;
    QGraphicsPathItem* EdgeItem(std::size_t edge) const;
    // The box an edge leads to when it leads to no card or mailbox.
    QGraphicsItem* EndItem(std::size_t edge) const;
    // The line of a card that says what plays.
    QGraphicsItem* RecordingItem(std::size_t node) const;

private:
    struct Placed;
    void PlaceNodes(std::vector<Placed>& placed) const;

    CallFlowAnalysis analysis_;
    std::vector<QGraphicsItem*> nodes_;
    std::vector<QGraphicsItem*> recordings_;
    std::vector<QGraphicsPathItem*> edges_;
    std::vector<QGraphicsItem*> ends_;
    std::map<std::string, QGraphicsItem*> mailboxes_;
};

}  // namespace orvia
