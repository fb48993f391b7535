#include "ui/callflow/call_flow_scene.h"

#include <QBrush>
#include <QFont>
#include <QFontMetricsF>
#include <QGraphicsPathItem>
#include <QGraphicsPolygonItem>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QPainterPath>
#include <QPen>
#include <algorithm>
#include <cmath>
#include <deque>

#include "platform/thread/thread_affinity.h"

namespace orvia {
namespace {

// Geometry, in scene units (pixels at 100 %).
constexpr qreal kCardWidth = 214;
constexpr qreal kHeader = 22;
constexpr qreal kLine = 16;  // the subtitle and the recording line
constexpr qreal kRow = 18;
constexpr qreal kCardPad = 6;
constexpr qreal kKeyWidth = 74;  // the key at the start of a row ("date-time")
constexpr qreal kLaneGap = 26;
constexpr qreal kEndWidth = 150;
constexpr qreal kColumnGap = 56;
constexpr qreal kCardGap = 26;
constexpr qreal kBandGap = 56;
constexpr qreal kColumnPitch = kCardWidth + kLaneGap + kEndWidth + kColumnGap;
constexpr qreal kMailboxWidth = 160;
constexpr qreal kMailboxHeight = 40;

const QColor kInk("#212529");
const QColor kMuted("#6c757d");
const QColor kError("#c92a2a");
const QColor kWarning("#e67700");
const QColor kAnswerHead("#2f9e44");
const QColor kNodeHead("#1e5a8c");
const QColor kUnreachedHead("#868e96");
const QColor kCardFill("#ffffff");
const QColor kEndFill("#f1f3f5");
const QColor kMailboxFill("#fff4e6");

enum class Mark { None, Warning, Error };

Mark Worse(Mark a, Mark b) {
    return static_cast<int>(a) > static_cast<int>(b) ? a : b;
}

Mark MarkOf(const CallFlowFinding& finding) {
    return finding.severity == FindingSeverity::Error ? Mark::Error : Mark::Warning;
}

QColor ColorOf(Mark mark, const QColor& otherwise) {
    switch (mark) {
        case Mark::Error:
            return kError;
        case Mark::Warning:
            return kWarning;
        case Mark::None:
            break;
    }
    return otherwise;
}

const char* MarkName(Mark mark) {
    switch (mark) {
        case Mark::Error:
            return "error";
        case Mark::Warning:
            return "warning";
        case Mark::None:
            break;
    }
    return "";
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// The last part of a path.
QString FileName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return Q(slash == std::string::npos ? path : path.substr(slash + 1));
}

QGraphicsSimpleTextItem* Text(QGraphicsItem* parent, const QString& text, QPointF at, qreal width,
                              const QColor& color, bool bold = false, qreal size = 0) {
    auto* item = new QGraphicsSimpleTextItem(parent);
    QFont font = item->font();
    font.setBold(bold);
    if (size > 0)
        font.setPointSizeF(size);
    item->setFont(font);
    item->setText(QFontMetricsF(font).elidedText(text, Qt::ElideRight, width));
    item->setBrush(color);
    item->setPos(at);
    return item;
}

// What an action does, as its card row says it.
QString RowText(const CallFlowEdge& edge) {
    switch (edge.kind) {
        case FlowEdgeKind::DateTime:
            return "date-time check fails";
        case FlowEdgeKind::CallerId:
            return "caller number matches";
        default:
            break;
    }
    switch (edge.target) {
        case FlowTarget::Ogm:
            return "Go To OGM";
        case FlowTarget::Mailbox:
            return "Leave Message";
        case FlowTarget::MailboxAccess:
            return "Access Mailbox";
        case FlowTarget::Transfer:
            return "Transfer (Blind)";
        case FlowTarget::TransferConfirmed:
            return "Transfer (Confirmed)";
        case FlowTarget::Play:
            return "Play File";
        case FlowTarget::Record:
            return "Record File";
        case FlowTarget::Repeat:
            return "Repeat OGM";
        case FlowTarget::Invalid:
            return "Invalid Option";
        case FlowTarget::Goodbye:
            return edge.action.empty() ? "Goodbye (nothing set)" : "Goodbye";
        case FlowTarget::HangUp:
            return "Hang-up";
        case FlowTarget::None:
            break;
    }
    return "No Response";
}

// The box of an edge that leads to no card or mailbox.
QString EndText(const CallFlowEdge& edge) {
    const QString argument = Q(edge.argument);
    switch (edge.target) {
        case FlowTarget::Ogm:
            if (edge.dynamic)
                return "OGM named by " + argument;
            return argument.isEmpty() ? "no OGM named" : "no OGM \"" + argument + "\"";
        case FlowTarget::Mailbox:
            if (edge.dynamic)
                return "mailbox named by " + argument;
            return "no mailbox named";
        case FlowTarget::MailboxAccess:
            return "remote access (code)";
        case FlowTarget::Transfer:
        case FlowTarget::TransferConfirmed:
            return argument.isEmpty() ? "transfer: no number" : "transfer to " + argument;
        case FlowTarget::Play:
            return argument.isEmpty() ? "play: no file" : "play " + FileName(edge.argument);
        case FlowTarget::Record:
            return argument.isEmpty() ? "record: no file" : "record " + FileName(edge.argument);
        case FlowTarget::Repeat:
            return "the OGM again";
        case FlowTarget::Invalid:
            return "\"InvalidOption\", again";
        case FlowTarget::Goodbye:
            return "\"GoodBye\", hang-up";
        case FlowTarget::HangUp:
            return "hang-up";
        case FlowTarget::None:
            break;
    }
    return {};
}

// An arrow head at the end of a path, pointing along its last direction.
void AddArrowHead(QGraphicsPathItem* path, const QColor& color) {
    const QPainterPath& p = path->path();
    const QPointF tip = p.pointAtPercent(1.0);
    const QPointF before = p.pointAtPercent(std::max(0.0, 1.0 - 8.0 / std::max(p.length(), 8.0)));
    QPointF direction = tip - before;
    const qreal length = std::hypot(direction.x(), direction.y());
    direction = length > 0 ? direction / length : QPointF(1, 0);
    const QPointF normal(-direction.y(), direction.x());
    QPolygonF head;
    head << tip << tip - direction * 9 + normal * 4.5 << tip - direction * 9 - normal * 4.5;
    auto* item = new QGraphicsPolygonItem(head, path);
    item->setPen(Qt::NoPen);
    item->setBrush(color);
}

}  // namespace

struct CallFlowScene::Placed {
    QPointF at;  // top-left of the card
    qreal height = 0;
    int column = 0;
    bool reached = false;
};

CallFlowScene::CallFlowScene(QObject* parent) : QGraphicsScene(parent) {
    ORVIA_ASSERT_MAIN_THREAD();
    setBackgroundBrush(QColor("#f8f9fa"));
}

void CallFlowScene::PlaceNodes(std::vector<Placed>& placed) const {
    const std::size_t n = analysis_.nodes.size();
    std::vector<int> depth(n, -1);
    std::vector<std::vector<std::size_t>> next(n);
    std::vector<std::size_t> rows(n, 0);
    for (const CallFlowEdge& edge : analysis_.edges) {
        ++rows[edge.from];
        if (edge.to)
            next[edge.from].push_back(*edge.to);
    }
    // Columns by the shortest distance from the answer OGMs; then the OGMs
    // no answer OGM reaches, each unplaced one starting a column 0 of its own.
    auto spread = [&](std::deque<std::size_t> todo) {
        while (!todo.empty()) {
            const std::size_t from = todo.front();
            todo.pop_front();
            for (std::size_t to : next[from]) {
                if (depth[to] < 0) {
                    depth[to] = depth[from] + 1;
                    todo.push_back(to);
                }
            }
        }
    };
    std::deque<std::size_t> answers;
    for (std::size_t i = 0; i < n; ++i) {
        if (analysis_.nodes[i].answers) {
            depth[i] = 0;
            answers.push_back(i);
        }
    }
    spread(answers);
    std::vector<bool> reached(n);
    for (std::size_t i = 0; i < n; ++i)
        reached[i] = depth[i] >= 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (depth[i] < 0) {
            depth[i] = 0;
            spread({i});
        }
    }
    placed.assign(n, {});
    std::map<int, qreal> columnY;
    qreal bandEnd = 0;
    for (int band = 0; band < 2; ++band) {
        columnY.clear();
        for (std::size_t i = 0; i < n; ++i) {
            if (reached[i] != (band == 0))
                continue;
            Placed& p = placed[i];
            p.column = depth[i];
            p.reached = reached[i];
            p.height = kHeader + 2 * kLine + static_cast<qreal>(rows[i]) * kRow + kCardPad;
            qreal& y =
                columnY.try_emplace(p.column, band == 0 ? 0 : bandEnd + kBandGap).first->second;
            p.at = QPointF(p.column * kColumnPitch, y);
            y += p.height + kCardGap;
            bandEnd = std::max(bandEnd, y);
        }
    }
}

void CallFlowScene::Show(CallFlowAnalysis analysis) {
    ORVIA_ASSERT_MAIN_THREAD();
    clear();
    analysis_ = std::move(analysis);
    const std::size_t n = analysis_.nodes.size();
    nodes_.assign(n, nullptr);
    recordings_.assign(n, nullptr);
    edges_.assign(analysis_.edges.size(), nullptr);
    ends_.assign(analysis_.edges.size(), nullptr);
    mailboxes_.clear();

    // What the findings mark, and their sentences.
    std::vector<Mark> nodeMark(n, Mark::None), edgeMark(analysis_.edges.size(), Mark::None);
    std::vector<QStringList> nodeNotes(n), edgeNotes(analysis_.edges.size());
    std::vector<Mark> noRecording(n, Mark::None);
    std::map<std::string, std::pair<Mark, QStringList>> mailboxNotes;
    for (const CallFlowFinding& finding : analysis_.findings) {
        const QString text = Q(finding.text);
        if (finding.edge) {
            edgeMark[*finding.edge] = Worse(edgeMark[*finding.edge], MarkOf(finding));
            edgeNotes[*finding.edge] << text;
        } else if (finding.node) {
            nodeMark[*finding.node] = Worse(nodeMark[*finding.node], MarkOf(finding));
            nodeNotes[*finding.node] << text;
            if (finding.kind == FindingKind::MissingRecording)
                noRecording[*finding.node] = Worse(noRecording[*finding.node], MarkOf(finding));
        }
        for (const CallFlowMailbox& mailbox : analysis_.mailboxes) {
            if (finding.file == mailbox.file) {
                auto& [mark, notes] = mailboxNotes[mailbox.name];
                mark = Worse(mark, MarkOf(finding));
                notes << text;
            }
        }
    }

    std::vector<Placed> placed;
    PlaceNodes(placed);
    int lastColumn = 0;
    qreal unreachedTop = -1;
    for (std::size_t i = 0; i < n; ++i) {
        lastColumn = std::max(lastColumn, placed[i].column);
        if (!placed[i].reached)
            unreachedTop =
                unreachedTop < 0 ? placed[i].at.y() : std::min(unreachedTop, placed[i].at.y());
    }
    if (unreachedTop >= 0)
        addItem(Text(nullptr, "Not reached from any answer OGM:", QPointF(0, unreachedTop - 22),
                     kColumnPitch, kMuted, true));

    // The cards.
    for (std::size_t i = 0; i < n; ++i) {
        const CallFlowNode& node = analysis_.nodes[i];
        const Placed& p = placed[i];
        auto* card = new QGraphicsRectItem(0, 0, kCardWidth, p.height);
        card->setPos(p.at);
        QPen border(ColorOf(nodeMark[i], QColor("#adb5bd")), nodeMark[i] == Mark::None ? 1 : 2);
        if (!p.reached)
            border.setStyle(Qt::DashLine);
        card->setPen(border);
        card->setBrush(kCardFill);
        card->setData(kFlowMarkRole, p.reached ? QString(MarkName(nodeMark[i])) : "unreached");
        card->setToolTip(nodeNotes[i].isEmpty() ? "Double-click for the OGM's properties"
                                                : nodeNotes[i].join("\n"));
        card->setZValue(1);
        addItem(card);
        auto* head = new QGraphicsRectItem(0, 0, kCardWidth, kHeader, card);
        head->setPen(Qt::NoPen);
        head->setBrush(!p.reached ? kUnreachedHead : node.answers ? kAnswerHead : kNodeHead);
        Text(head, Q(node.name), QPointF(6, 3), kCardWidth - 12, Qt::white, true);
        QStringList about;
        about << (node.numberEntry ? "number entry" : "menu");
        if (node.answers)
            about << "answers calls";
        if (!p.reached)
            about << "not reached";
        Text(card, about.join(", "), QPointF(6, kHeader + 1), kCardWidth - 12, kMuted, false);
        const bool silent = noRecording[i] != Mark::None;
        recordings_[i] = Text(card,
                              silent ? QString("no recording: callers hear nothing")
                                     : "plays " + FileName(node.recording),
                              QPointF(6, kHeader + kLine + 1), kCardWidth - 12,
                              ColorOf(noRecording[i], kMuted), silent);
        recordings_[i]->setData(kFlowMarkRole, QString(MarkName(noRecording[i])));
        nodes_[i] = card;
    }

    // The mailboxes: those that exist, then those named but missing.
    qreal mailboxY = 0;
    const qreal mailboxX = (lastColumn + 1) * kColumnPitch;
    auto addMailbox = [&](const std::string& name, bool exists) {
        auto* box = new QGraphicsRectItem(0, 0, kMailboxWidth, kMailboxHeight);
        box->setPos(mailboxX, mailboxY);
        mailboxY += kMailboxHeight + 14;
        const auto notes = mailboxNotes.find(name);
        const Mark mark = !exists                       ? Mark::Error
                          : notes != mailboxNotes.end() ? notes->second.first
                                                        : Mark::None;
        QPen pen(ColorOf(mark, QColor("#f08c00")), mark == Mark::None ? 1 : 2);
        if (!exists)
            pen.setStyle(Qt::DashLine);
        box->setPen(pen);
        box->setBrush(exists ? kMailboxFill : QColor("#fff5f5"));
        box->setData(kFlowMarkRole, QString(MarkName(mark)));
        box->setZValue(1);
        Text(box, Q(name), QPointF(6, 3), kMailboxWidth - 12, kInk, true);
        Text(box, exists ? "mailbox" : "mailbox does not exist", QPointF(6, 20), kMailboxWidth - 12,
             exists ? kMuted : kError, !exists);
        box->setToolTip(!exists ? "No mailbox file of this name: messages left here are kept, "
                                  "but nothing delivers them"
                        : notes != mailboxNotes.end()
                            ? notes->second.second.join("\n")
                            : "Double-click for the mailbox's properties");
        addItem(box);
        mailboxes_[name] = box;
    };
    for (const CallFlowMailbox& mailbox : analysis_.mailboxes)
        addMailbox(mailbox.name, true);
    for (const CallFlowEdge& edge : analysis_.edges) {
        if (edge.target == FlowTarget::Mailbox && !edge.dynamic && !edge.argument.empty() &&
            mailboxes_.count(edge.argument) == 0)
            addMailbox(edge.argument, false);
    }

    // The rows and their arrows.
    std::vector<int> rowOf(n, 0);
    for (std::size_t e = 0; e < analysis_.edges.size(); ++e) {
        const CallFlowEdge& edge = analysis_.edges[e];
        const Placed& p = placed[edge.from];
        const int row = rowOf[edge.from]++;
        const qreal rowTop = kHeader + 2 * kLine + row * kRow;
        const QColor color = ColorOf(edgeMark[e], kInk);
        const QString tip = edgeNotes[e].isEmpty()
                                ? Q(edge.label) + ": " + RowText(edge) +
                                      (edge.argument.empty() ? "" : " " + Q(edge.argument))
                                : edgeNotes[e].join("\n");
        QGraphicsItem* card = nodes_[edge.from];
        auto* key = new QGraphicsRectItem(4, rowTop + 2, kKeyWidth, kRow - 3, card);
        key->setPen(Qt::NoPen);
        key->setBrush(QColor("#e7f5ff"));
        Text(key, Q(edge.label), QPointF(7, rowTop + 2), kKeyWidth - 4, kNodeHead, true);
        Text(card, RowText(edge), QPointF(kKeyWidth + 10, rowTop + 2), kCardWidth - kKeyWidth - 14,
             color, edgeMark[e] != Mark::None);

        const QPointF start = p.at + QPointF(kCardWidth, rowTop + kRow / 2);
        QPainterPath path(start);
        QGraphicsItem* endBox = nullptr;
        QPointF end;
        std::optional<QGraphicsItem*> targetItem;
        if (edge.to) {
            targetItem = nodes_[*edge.to];
        } else if (edge.target == FlowTarget::Mailbox && !edge.dynamic && !edge.argument.empty()) {
            targetItem = mailboxes_[edge.argument];
        }
        if (targetItem) {
            const QPointF target = (*targetItem)->pos() + QPointF(0, kHeader / 2);
            end = target;
            const qreal laneEnd = start.x() + kLaneGap + kEndWidth + 8;
            QPointF from = start;
            if (end.x() > laneEnd) {
                path.lineTo(laneEnd, start.y());
                from = QPointF(laneEnd, start.y());
            }
            // Forward arrows bend in proportion; arrows back to an earlier
            // column loop out only a little beside the cards.
            const qreal bend =
                end.x() > from.x() ? std::max<qreal>(40, (end.x() - from.x()) / 3) : 50;
            path.cubicTo(from + QPointF(bend, 0), end - QPointF(bend, 0), end);
        } else {
            end = start + QPointF(kLaneGap, 0);
            path.lineTo(end);
            auto* box = new QGraphicsRectItem(0, 0, kEndWidth, kRow - 2);
            box->setPos(end.x(), p.at.y() + rowTop + 1);
            const bool missing =
                edge.target == FlowTarget::Ogm || edge.target == FlowTarget::Mailbox;
            QPen pen(ColorOf(edgeMark[e], QColor("#ced4da")), edgeMark[e] == Mark::None ? 1 : 1.5);
            if (missing || edge.dynamic)
                pen.setStyle(Qt::DashLine);
            box->setPen(pen);
            box->setBrush(edgeMark[e] == Mark::Error ? QColor("#fff5f5") : kEndFill);
            box->setData(kFlowMarkRole, QString(MarkName(edgeMark[e])));
            box->setToolTip(tip);
            box->setZValue(1);
            Text(box, EndText(edge), QPointF(5, 1), kEndWidth - 10, ColorOf(edgeMark[e], kInk),
                 false);
            addItem(box);
            endBox = box;
        }
        auto* arrow = new QGraphicsPathItem(path);
        QPen pen(color, edgeMark[e] == Mark::None ? 1.2 : 2);
        if (edge.dynamic)
            pen.setStyle(Qt::DashLine);
        arrow->setPen(pen);
        arrow->setData(kFlowMarkRole, QString(MarkName(edgeMark[e])));
        arrow->setToolTip(tip);
        arrow->setZValue(targetItem ? 0 : 2);
        addItem(arrow);
        AddArrowHead(arrow, color);
        if (targetItem) {
            // The key half way along a long arrow, so the arrows coming
            // into a card can be told apart.
            const QPointF middle = path.pointAtPercent(0.5);
            auto* label = Text(arrow, Q(edge.label), middle, kKeyWidth, color, true, 8);
            const QRectF box = label->boundingRect();
            label->setPos(middle - QPointF(box.width() / 2, box.height() / 2));
            auto* back = new QGraphicsRectItem(label->pos().x() - 2, label->pos().y(),
                                               box.width() + 4, box.height(), arrow);
            back->setPen(Qt::NoPen);
            back->setBrush(QColor(255, 255, 255, 220));
            label->setParentItem(back);  // the background is at the arrow's origin
        }
        edges_[e] = arrow;
        ends_[e] = endBox;
    }
    setSceneRect(itemsBoundingRect().adjusted(-16, -16, 16, 16));
}

CallFlowScene::Target CallFlowScene::TargetAt(QPointF scenePoint) const {
    for (QGraphicsItem* item : items(scenePoint)) {
        while (item->parentItem() != nullptr)
            item = item->parentItem();
        for (std::size_t i = 0; i < nodes_.size(); ++i) {
            if (nodes_[i] == item)
                return {Target::Kind::Ogm, analysis_.nodes[i].name};
        }
        for (const CallFlowMailbox& mailbox : analysis_.mailboxes) {
            const auto found = mailboxes_.find(mailbox.name);
            if (found != mailboxes_.end() && found->second == item)
                return {Target::Kind::Mailbox, mailbox.name};
        }
    }
    return {};
}

QGraphicsItem* CallFlowScene::NodeItem(std::size_t node) const {
    return node < nodes_.size() ? nodes_[node] : nullptr;
}

QGraphicsItem* CallFlowScene::MailboxItem(const std::string& name) const {
    const auto found = mailboxes_.find(name);
    return found != mailboxes_.end() ? found->second : nullptr;
}

QGraphicsPathItem* CallFlowScene::EdgeItem(std::size_t edge) const {
    return edge < edges_.size() ? edges_[edge] : nullptr;
}

QGraphicsItem* CallFlowScene::EndItem(std::size_t edge) const {
    return edge < ends_.size() ? ends_[edge] : nullptr;
}

QGraphicsItem* CallFlowScene::RecordingItem(std::size_t node) const {
    return node < recordings_.size() ? recordings_[node] : nullptr;
}

}  // namespace orvia
