#include "ui/ogm/ogm_list_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/ogm_files.h"
#include "platform/text/ascii_text.h"
#include "platform/thread/thread_affinity.h"
#include "store/settings_store.h"
#include "ui/framework/help.h"
#include "ui/framework/pictures.h"
#include "ui/framework/questions.h"
#include "ui/ogm/ogm_files_commands.h"
#include "ui/ogm/ogm_messages.h"
#include "ui/ogm/ogm_properties.h"
#include "ui/ogm/ogm_references.h"
#include "ui/ogm/play_toggle.h"

namespace orvia {
namespace {

QPushButton* Button(QWidget* parent, const QString& text, const char* name) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace

OgmListDialog::OgmListDialog(QWidget* parent, std::string current, const AudioServices& services)
    : LPopupDialogBox(parent, kHelpOgmList),
      current_(std::move(current)),
      services_(services),
      list_(new QListWidget(this)),
      play_(Button(this, tr("&Play"), "play")),
      new_(Button(this, tr("&New OGM..."), "newOgm")),
      delete_(Button(this, tr("&Delete"), "delete")),
      rename_(Button(this, tr("Rename..."), "rename")),
      properties_(Button(this, tr("&Properties..."), "properties")),
      ok_(Button(this, tr("OK"), "ok")),
      help_(Button(this, tr("Help"), "help")) {
    ORVIA_ASSERT_MAIN_THREAD();
    setWindowTitle("OGM List");
    setWindowIcon(Picture(kPictureWindowIcon));
    list_->setObjectName("ogms");
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    play_->setIcon(Picture(kPicturePlay));
    ok_->setDefault(true);
    playToggle_ = new PlayToggle(play_, services_.playback, [this] {
        return std::vector<std::string>{
            OgmFileWithExtension(OgmDefinitionPath(Selected()), ".wav")};
    });

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {play_, new_, delete_, rename_, properties_})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(help_);
    auto* layout = new QGridLayout(this);
    layout->addWidget(list_, 0, 0);
    layout->addLayout(buttons, 0, 1);
    layout->setColumnStretch(0, 1);
    const QFontMetrics metrics = fontMetrics();
    list_->setMinimumSize(metrics.averageCharWidth() * 36, metrics.lineSpacing() * 12);

    connect(ok_, &QPushButton::clicked, this, &OgmListDialog::accept);
    connect(help_, &QPushButton::clicked, this, [this] { OnHelp(); });
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] {
        PropertiesOfSelected();
        UpdateControls();
    });
    for (QObject* control :
         {static_cast<QObject*>(list_), static_cast<QObject*>(new_), static_cast<QObject*>(delete_),
          static_cast<QObject*>(rename_), static_cast<QObject*>(properties_)})
        Watch(control);
}

void OgmListDialog::OnInit() {
    Fill();
}

void OgmListDialog::Fill() {
    list_->clear();
    for (const std::string& name : OgmNames())
        list_->addItem(QString::fromStdString(name));
    int selected = list_->count() > 0 ? 0 : -1;
    for (int row = 0; row < list_->count(); ++row) {
        if (StartsWithNoCase(list_->item(row)->text().toStdString(), current_)) {
            selected = row;
            break;
        }
    }
    list_->setCurrentRow(selected);
}

std::string OgmListDialog::Selected() const {
    const QListWidgetItem* item = list_->currentItem();
    return item != nullptr && item->isSelected() ? item->text().toStdString() : std::string();
}

void OgmListDialog::UpdateControls() {
    const bool selected = !Selected().empty();
    for (QPushButton* button : {play_, delete_, rename_, properties_})
        button->setEnabled(selected);
}

void OgmListDialog::OnCommand(QObject* control) {
    if (control == new_)
        NewOgm();
    else if (control == delete_)
        DeleteSelected();
    else if (control == rename_)
        RenameSelected();
    else if (control == properties_)
        PropertiesOfSelected();
}

void OgmListDialog::OnReset() {
    playToggle_->Stop();
}

void OgmListDialog::NewOgm() {
    const std::optional<QString> typed = CurrentQuestions().AskText(
        this, "Enter New OGM Name", QString::fromStdString(ProposeNewOgmName()));
    if (!typed)
        return;
    const std::string name = CleanOgmName(typed->toStdString());
    if (name.empty())
        return;
    const std::string selected = Selected();
    if (!OgmExists(name) && !selected.empty())
        CopyOgmDefinition(selected, name);
    playToggle_->Stop();
    const bool accepted = RunOgmProperties(this, name, services_);
    playToggle_->Attach();
    if (accepted) {
        current_ = name;
        Fill();
    }
}

void OgmListDialog::DeleteSelected() {
    const std::string selected = Selected();
    if (selected.empty())
        return;
    playToggle_->Stop();
    if (CurrentQuestions().Ask(this, DeleteOgmQuestion()) != Answer::Yes)
        return;
    DeleteOgmFiles(selected);
    Fill();
}

void OgmListDialog::RenameSelected() {
    const std::string from = Selected();
    if (from.empty())
        return;
    playToggle_->Stop();
    if (CurrentQuestions().Ask(this, RenameOgmWarning()) != Answer::Ok)
        return;
    const std::optional<QString> typed =
        CurrentQuestions().AskText(this, "Enter New OGM Name", QString::fromStdString(from));
    if (!typed)
        return;
    const std::string to = CleanOgmName(typed->toStdString());
    if (to.empty() || EqualsNoCase(to, from))
        return;
    if (!RenameOgmFiles(from, to)) {
        CurrentQuestions().Ask(this, RenameOgmFailed());
        return;
    }
    RenameAnswerOgmSettings(from, to);
    current_ = to;
    Fill();
}

void OgmListDialog::PropertiesOfSelected() {
    const std::string selected = Selected();
    if (selected.empty())
        return;
    playToggle_->Stop();
    RunOgmProperties(this, selected, services_);
    playToggle_->Attach();
}

void RunOgmList(QWidget* parent, OgmListMode mode, const std::string& ogm,
                const AudioServices& services) {
    OgmListDialog dialog(parent, ogm, services);
    if (mode == OgmListMode::OpenList) {
        dialog.Run();
        return;
    }
    dialog.Prepare();
    // The commands act on the OGM the main window names, and on no other.
    const bool named = !dialog.CurrentName().empty() && dialog.List()->currentItem() != nullptr &&
                       EqualsNoCase(dialog.List()->currentItem()->text().toStdString(), ogm);
    if (!named)
        dialog.List()->setCurrentRow(-1);
    switch (mode) {
        case OgmListMode::New:
            dialog.NewOgm();
            break;
        case OgmListMode::Delete:
            dialog.DeleteSelected();
            break;
        case OgmListMode::Rename:
            dialog.RenameSelected();
            break;
        case OgmListMode::Properties:
            dialog.PropertiesOfSelected();
            break;
        case OgmListMode::OpenList:
            break;
    }
}

}  // namespace orvia
