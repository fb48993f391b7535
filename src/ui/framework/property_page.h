// LPropertyPage and LPropertySheet: tabbed dialogs whose pages write their
// own settings.
//
// A page has the operations of LPopupDialogBox: OnInit fills its controls the
// first time the page is shown (a page never shown is never read or
// written; the signals of the controls it fills are not commands), UpdateControls follows OnInit
// and every watched control signal, OnApply reads the controls and writes the settings whenever the
// user leaves the page (another tab, OK, Apply) and keeps the page current by returning false,
// OnReset runs on Cancel for every page shown, OnHelp on Help or F1 opens the page's help topic.
// A sheet whose pages write only when it is confirmed (PageWrites::OnConfirm)
// calls OnApply of every page shown, in page order, on OK and Apply only; a
// page that refuses becomes current and the sheet stays open.
//
// The sheet is a QDialog with a QTabWidget and a QDialogButtonBox: OK,
// Cancel, Apply when asked for, and Help. Run() runs it through the
// question seam, like a dialog.
//
// Main thread only.
#pragma once

#include <QDialog>
#include <QWidget>
#include <vector>

#include "ui/framework/dialog_operations.h"

class QDialogButtonBox;
class QKeyEvent;
class QTabWidget;

namespace orvia {

class LPropertyPage : public QWidget, public DialogOperations {
    Q_OBJECT

public:
    // helpTopic: the page's help topic (help.h); 0 for none.
    explicit LPropertyPage(int helpTopic = 0, QWidget* parent = nullptr);
};

class LPropertySheet : public QDialog {
    Q_OBJECT

public:
    enum class ApplyButton { Without, With };
    enum class PageWrites { OnLeave, OnConfirm };

    LPropertySheet(QWidget* parent, const QString& caption,
                   ApplyButton apply = ApplyButton::Without,
                   PageWrites writes = PageWrites::OnLeave);

    // The sheet does not own pages' settings, but owns the page widgets.
    void AddPage(LPropertyPage* page, const QString& title);
    // Shows the first page (preparing it) and runs the sheet modally
    // through the question seam; true when it was closed with OK.
    bool Run();
    // Prepares and shows the page at index (for a picture of the sheet).
    void ShowPage(int index);

    LPropertyPage* CurrentPage() const;
    QTabWidget* Tabs() const { return tabs_; }
    QDialogButtonBox* Buttons() const { return buttons_; }

    void accept() override;
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnTabChanged(int index);
    bool Apply();

    QTabWidget* tabs_;
    QDialogButtonBox* buttons_;
    std::vector<LPropertyPage*> pages_;
    PageWrites writes_;
    int current_ = -1;
    bool switching_ = false;
};

}  // namespace orvia
