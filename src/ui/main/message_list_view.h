// The main window's list of In-Coming Messages of the mailbox shown: one row
// per message with its number ("File"), date, time and caller id ("CID"),
// an unread or read picture, newest first. A row keeps its message's ".ini"
// path.
//
// Main thread only.
#pragma once

#include <QTreeWidget>
#include <string>
#include <vector>

#include "app/core/main_lists.h"

namespace orvia {

class MessageListView : public QTreeWidget {
    Q_OBJECT

public:
    explicit MessageListView(QWidget* parent = nullptr);

    // Empties the list and fills it with the mailbox's messages.
    void Fill(const std::string& mailboxName);
    // Puts the message at the top (a message stored while the list shows).
    void AddAtTop(const MessageItem& item);
    void MarkRead(const std::string& messageIni);
    void Remove(const std::string& messageIni);

    // The ".ini" paths of the selected messages, top to bottom.
    std::vector<std::string> SelectedMessages() const;
    // The ".ini" path of a row; empty for none.
    static std::string MessageOf(const QTreeWidgetItem* row);
    QTreeWidgetItem* RowOf(const std::string& messageIni) const;
    // True when the row shows its message as heard.
    static bool IsRead(const QTreeWidgetItem* row);

private:
    QTreeWidgetItem* MakeRow(const MessageItem& item) const;
    void SetRead(QTreeWidgetItem* row, bool read) const;
};

}  // namespace orvia
