#include "ui/main/call_log_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/files/folder_listing.h"
#include "platform/files/path_names.h"
#include "platform/files/text_file.h"
#include "store/settings_store.h"
#include "ui/framework/desktop_handoff.h"
#include "ui/framework/help.h"
#include "ui/main/main_messages.h"

namespace orvia {

CallLogDialog::CallLogDialog(QWidget* parent)
    : LPopupDialogBox(parent, kHelpCallLogs),
      list_(new QListWidget(this)),
      view_(new QPushButton(tr("&View"), this)),
      print_(new QPushButton(tr("&Print"), this)),
      delete_(new QPushButton(tr("&Delete"), this)),
      close_(new QPushButton(tr("Close"), this)) {
    setWindowTitle("View or Print Call Logs");
    list_->setObjectName("logs");
    list_->setSortingEnabled(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {view_, print_, delete_})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(close_);
    auto* help = new QPushButton(tr("Help"), this);
    buttons->addWidget(help);
    auto* layout = new QGridLayout(this);
    layout->addWidget(list_, 0, 0);
    layout->addLayout(buttons, 0, 1);
    const QFontMetrics metrics = fontMetrics();
    list_->setMinimumSize(metrics.horizontalAdvance("Log 00-00-00 (a long special log)"),
                          metrics.lineSpacing() * 12);

    close_->setDefault(true);
    for (QPushButton* button : {view_, print_, delete_})
        Watch(button);
    Watch(list_);
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { OnCommand(view_); });
    connect(close_, &QPushButton::clicked, this, &CallLogDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { OnHelp(); });
}

void CallLogDialog::OnInit() {
    FillList();
}

void CallLogDialog::UpdateControls() {
    const bool selected = !list_->selectedItems().isEmpty();
    view_->setEnabled(selected);
    print_->setEnabled(selected);
    delete_->setEnabled(selected);
}

void CallLogDialog::OnCommand(QObject* control) {
    const std::string path = SelectedPath();
    if (path.empty())
        return;
    if (control == view_) {
        if (!CurrentHandoff().Open(path))
            CurrentQuestions().Ask(this, DesktopHelperFailed("The viewer (xdg-open)", path));
    } else if (control == print_) {
        if (!CurrentHandoff().Print(path))
            CurrentQuestions().Ask(this, DesktopHelperFailed("The print command (lp)", path));
    } else if (control == delete_) {
        if (CurrentQuestions().Ask(this, DeleteLogQuestion()) != Answer::Yes)
            return;
        RemoveFileIfPresent(path);
        FillList();
    }
}

void CallLogDialog::FillList() {
    list_->clear();
    for (const std::string& file : ListFolderFiles(Store().Logs(), ".txt"))
        list_->addItem(QString::fromStdString(FileStemOf(file)));
}

std::string CallLogDialog::SelectedPath() const {
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty())
        return {};
    return Store().Logs() + selected.front()->text().toStdString() + ".txt";
}

}  // namespace orvia
