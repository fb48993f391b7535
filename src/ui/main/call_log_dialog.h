// "View or Print Call Logs": the log files of the Logs folder by name
// (without ".txt", sorted, so the daily logs come in date order), with View
// (the desktop's viewer), Print (the desktop's print path), Delete (after a
// confirmation) and Close. View, Print and Delete need a selected entry.
//
// Main thread only.
#pragma once

#include <string>

#include "ui/framework/popup_dialog_box.h"

class QListWidget;
class QPushButton;

namespace orvia {

class CallLogDialog : public LPopupDialogBox {
    Q_OBJECT

public:
    explicit CallLogDialog(QWidget* parent);

    QListWidget* List() const { return list_; }
    QPushButton* ViewButton() const { return view_; }
    QPushButton* PrintButton() const { return print_; }
    QPushButton* DeleteButton() const { return delete_; }
    QPushButton* CloseButton() const { return close_; }

protected:
    void OnInit() override;
    void UpdateControls() override;
    void OnCommand(QObject* control) override;

private:
    void FillList();
    // The selected log's path; empty when nothing is selected.
    std::string SelectedPath() const;

    QListWidget* list_;
    QPushButton* view_;
    QPushButton* print_;
    QPushButton* delete_;
    QPushButton* close_;
};

}  // namespace orvia
