#include "ui/main/message_list_view.h"

#include <QHeaderView>

#include "platform/thread/thread_affinity.h"
#include "ui/framework/pictures.h"

namespace orvia {
namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kReadRole = Qt::UserRole + 1;

enum Column { kFile, kDate, kTime, kCid, kColumns };

}  // namespace

MessageListView::MessageListView(QWidget* parent) : QTreeWidget(parent) {
    ORVIA_ASSERT_MAIN_THREAD();
    setColumnCount(kColumns);
    setHeaderLabels({tr("File"), tr("Date"), tr("Time"), tr("CID")});
    setRootIsDecorated(false);
    setSortingEnabled(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    setIconSize(QSize(16, 16));
    header()->setStretchLastSection(true);
    header()->setSectionsMovable(false);
    // Wide enough for what the columns hold ("000123" with its picture,
    // "12/31/24", "23:59:59") at the font in use, at any scale.
    const QFontMetrics metrics = fontMetrics();
    const int pad = metrics.averageCharWidth() * 3;
    setColumnWidth(kFile, metrics.horizontalAdvance("0000000") + iconSize().width() + pad);
    setColumnWidth(kDate, metrics.horizontalAdvance("00/00/00") + pad);
    setColumnWidth(kTime, metrics.horizontalAdvance("00:00:00") + pad);
}

void MessageListView::Fill(const std::string& mailboxName) {
    clear();
    for (const MessageItem& item : MessageItems(mailboxName))
        addTopLevelItem(MakeRow(item));
}

void MessageListView::AddAtTop(const MessageItem& item) {
    if (RowOf(item.messageIni) != nullptr)
        return;  // already listed
    insertTopLevelItem(0, MakeRow(item));
}

void MessageListView::MarkRead(const std::string& messageIni) {
    if (QTreeWidgetItem* row = RowOf(messageIni))
        SetRead(row, true);
}

void MessageListView::Remove(const std::string& messageIni) {
    delete RowOf(messageIni);
}

std::vector<std::string> MessageListView::SelectedMessages() const {
    std::vector<std::string> paths;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = topLevelItem(i);
        if (row->isSelected())
            paths.push_back(MessageOf(row));
    }
    return paths;
}

std::string MessageListView::MessageOf(const QTreeWidgetItem* row) {
    return row == nullptr ? std::string() : row->data(kFile, kPathRole).toString().toStdString();
}

QTreeWidgetItem* MessageListView::RowOf(const std::string& messageIni) const {
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = topLevelItem(i);
        if (MessageOf(row) == messageIni)
            return row;
    }
    return nullptr;
}

bool MessageListView::IsRead(const QTreeWidgetItem* row) {
    return row != nullptr && row->data(kFile, kReadRole).toBool();
}

QTreeWidgetItem* MessageListView::MakeRow(const MessageItem& item) const {
    auto* row = new QTreeWidgetItem;
    row->setText(kFile, QString::fromStdString(item.number));
    row->setText(kDate, QString::fromStdString(item.date));
    row->setText(kTime, QString::fromStdString(item.time));
    row->setText(kCid, QString::fromStdString(item.callerId));
    row->setData(kFile, kPathRole, QString::fromStdString(item.messageIni));
    SetRead(row, item.read);
    return row;
}

void MessageListView::SetRead(QTreeWidgetItem* row, bool read) const {
    row->setData(kFile, kReadRole, read);
    row->setIcon(kFile, Picture(read ? kPictureRead : kPictureUnread));
    row->setToolTip(kFile, read ? tr("Heard") : tr("Not heard yet"));
}

}  // namespace orvia
