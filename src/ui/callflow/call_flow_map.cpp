#include "ui/callflow/call_flow_map.h"

#include <QEvent>
#include <QGraphicsPathItem>
#include <QGraphicsView>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "engine/call_flow_analysis.h"
#include "platform/thread/thread_affinity.h"
#include "store/settings_store.h"
#include "ui/callflow/call_flow_scene.h"
#include "ui/framework/help.h"
#include "ui/framework/pictures.h"
#include "ui/mailbox/mailbox_dialog.h"
#include "ui/ogm/ogm_properties.h"

namespace orvia {
namespace {

// Below this the texts of the cards cannot be read: the map scrolls instead.
constexpr qreal kSmallestScale = 0.75;

QString Where(const CallFlowFinding& finding) {
    std::string file = finding.file;
    const std::string& data = Store().DataFolder();
    if (file.rfind(data, 0) == 0)
        file.erase(0, data.size());
    QString where = QString::fromStdString(file);
    if (!finding.section.empty())
        where += " [" + QString::fromStdString(finding.section) + "]";
    if (!finding.key.empty())
        where += " " + QString::fromStdString(finding.key);
    return where;
}

QString Plural(std::size_t count, const char* one, const char* many) {
    return QString("%1 %2").arg(count).arg(count == 1 ? one : many);
}

}  // namespace

CallFlowMapDialog::CallFlowMapDialog(QWidget* parent, const AudioServices& services)
    : LPopupDialogBox(parent, kHelpCallFlowMap),
      services_(services),
      scene_(new CallFlowScene(this)),
      view_(new QGraphicsView(scene_, this)),
      findings_(new QTreeWidget(this)),
      summary_(new QLabel(this)),
      refresh_(new QPushButton(tr("&Refresh"), this)),
      close_(new QPushButton(tr("Close"), this)),
      help_(new QPushButton(tr("Help"), this)) {
    ORVIA_ASSERT_MAIN_THREAD();
    setWindowTitle("Call-Flow Map");
    setWindowIcon(Picture(kPictureWindowIcon));
    setSizeGripEnabled(true);
    view_->setObjectName("map");
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setDragMode(QGraphicsView::ScrollHandDrag);
    view_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    view_->viewport()->installEventFilter(this);
    findings_->setObjectName("findings");
    findings_->setRootIsDecorated(false);
    findings_->setColumnCount(3);
    findings_->setHeaderLabels({tr("Severity"), tr("Where"), tr("What is wrong")});
    findings_->setWordWrap(true);
    findings_->header()->setStretchLastSection(true);
    summary_->setObjectName("summary");
    refresh_->setObjectName("refresh");
    refresh_->setAutoDefault(false);
    close_->setAutoDefault(false);
    help_->setAutoDefault(false);

    auto* legend = new QLabel(
        tr("Green card: calls start there. Red: broken, orange: doubtful (hover for why). "
           "Dashed: not reached, or not there. Double-click a card or a finding to edit it."),
        this);
    legend->setWordWrap(true);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(view_);
    split->addWidget(findings_);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(summary_, 1);
    buttons->addWidget(refresh_);
    buttons->addWidget(close_);
    buttons->addWidget(help_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(legend);
    layout->addWidget(split, 1);
    layout->addLayout(buttons);
    const QFontMetrics metrics = fontMetrics();
    view_->setMinimumSize(metrics.averageCharWidth() * 90, metrics.lineSpacing() * 18);
    findings_->setMinimumHeight(metrics.lineSpacing() * 6);
    findings_->setColumnWidth(0, metrics.averageCharWidth() * 10);
    findings_->setColumnWidth(1, metrics.averageCharWidth() * 46);

    connect(close_, &QPushButton::clicked, this, &CallFlowMapDialog::accept);
    connect(help_, &QPushButton::clicked, this, [this] { OnHelp(); });
    connect(findings_, &QTreeWidget::itemSelectionChanged, this, &CallFlowMapDialog::ShowFinding);
    connect(findings_, &QTreeWidget::itemDoubleClicked, this, &CallFlowMapDialog::OpenFinding);
    Watch(refresh_);
}

void CallFlowMapDialog::OnInit() {
    Refresh();
}

void CallFlowMapDialog::OnCommand(QObject* control) {
    if (control == refresh_)
        Refresh();
}

void CallFlowMapDialog::Refresh() {
    scene_->Show(AnalyzeCallFlow());
    FillFindings();
    FitMap();
}

void CallFlowMapDialog::FillFindings() {
    const CallFlowAnalysis& analysis = scene_->Analysis();
    findings_->clear();
    std::size_t errors = 0;
    for (std::size_t i = 0; i < analysis.findings.size(); ++i) {
        const CallFlowFinding& finding = analysis.findings[i];
        const bool error = finding.severity == FindingSeverity::Error;
        errors += error ? 1 : 0;
        auto* item = new QTreeWidgetItem(findings_);
        item->setText(0, error ? tr("Error") : tr("Warning"));
        item->setForeground(0, QColor(error ? "#c92a2a" : "#e67700"));
        item->setText(1, Where(finding));
        item->setText(2, QString::fromStdString(finding.text));
        item->setToolTip(2, QString::fromStdString(finding.text));
        item->setData(0, Qt::UserRole, static_cast<qulonglong>(i));
    }
    const std::size_t warnings = analysis.findings.size() - errors;
    const QString counts = Plural(analysis.nodes.size(), "OGM", "OGMs") + ", " +
                           Plural(analysis.mailboxes.size(), "mailbox", "mailboxes") + ": ";
    summary_->setText(analysis.findings.empty()
                          ? counts + tr("nothing wrong found")
                          : counts + Plural(errors, "error", "errors") + ", " +
                                Plural(warnings, "warning", "warnings"));
}

const CallFlowFinding* CallFlowMapDialog::CurrentFinding() const {
    const QTreeWidgetItem* item = findings_->currentItem();
    if (item == nullptr)
        return nullptr;
    const std::vector<CallFlowFinding>& findings = scene_->Analysis().findings;
    const std::size_t index = item->data(0, Qt::UserRole).toULongLong();
    return index < findings.size() ? &findings[index] : nullptr;
}

const CallFlowMailbox* CallFlowMapDialog::MailboxOf(const CallFlowFinding& finding) const {
    for (const CallFlowMailbox& mailbox : scene_->Analysis().mailboxes) {
        if (mailbox.file == finding.file)
            return &mailbox;
    }
    return nullptr;
}

void CallFlowMapDialog::ShowFinding() {
    const CallFlowFinding* finding = CurrentFinding();
    if (finding == nullptr)
        return;
    QGraphicsItem* shown = nullptr;
    if (finding->edge)
        shown = scene_->EdgeItem(*finding->edge);
    else if (finding->node)
        shown = scene_->NodeItem(*finding->node);
    else if (const CallFlowMailbox* mailbox = MailboxOf(*finding))
        shown = scene_->MailboxItem(mailbox->name);
    if (shown != nullptr)
        view_->centerOn(shown);
}

void CallFlowMapDialog::OpenFinding() {
    const CallFlowFinding* finding = CurrentFinding();
    if (finding == nullptr)
        return;
    // The names are copied: opening redraws the map and its analysis.
    if (finding->node)
        OpenOgm(scene_->Analysis().nodes[*finding->node].name);
    else if (const CallFlowMailbox* mailbox = MailboxOf(*finding))
        OpenMailbox(mailbox->name);
}

void CallFlowMapDialog::OpenOgm(std::string name) {
    RunOgmProperties(this, name, services_);
    Refresh();
}

void CallFlowMapDialog::OpenMailbox(std::string name) {
    MailboxDialog dialog(this, name, services_);
    dialog.Run();
    Refresh();
}

bool CallFlowMapDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_->viewport() && event->type() == QEvent::Resize)
        FitMap();
    if (watched == view_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const CallFlowScene::Target target =
            scene_->TargetAt(view_->mapToScene(mouse->position().toPoint()));
        if (target.kind == CallFlowScene::Target::Kind::Ogm)
            OpenOgm(target.name);
        else if (target.kind == CallFlowScene::Target::Kind::Mailbox)
            OpenMailbox(target.name);
        return target.kind != CallFlowScene::Target::Kind::None;
    }
    return LPopupDialogBox::eventFilter(watched, event);
}

void CallFlowMapDialog::FitMap() {
    const QRectF scene = scene_->sceneRect();
    const QSize room = view_->viewport()->size();
    if (scene.isEmpty() || room.isEmpty())
        return;
    const qreal scale =
        std::clamp(std::min(room.width() / scene.width(), room.height() / scene.height()),
                   kSmallestScale, 1.0);
    view_->resetTransform();
    view_->scale(scale, scale);
    // A map larger than the window starts at its answer OGMs (top left).
    view_->horizontalScrollBar()->setValue(view_->horizontalScrollBar()->minimum());
    view_->verticalScrollBar()->setValue(view_->verticalScrollBar()->minimum());
}

void RunCallFlowMap(QWidget* parent, const AudioServices& services) {
    CallFlowMapDialog dialog(parent, services);
    dialog.Run();
}

}  // namespace orvia
