#include "ui/framework/property_page.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "platform/thread/thread_affinity.h"
#include "ui/framework/questions.h"

namespace orvia {

LPropertyPage::LPropertyPage(int helpTopic, QWidget* parent)
    : QWidget(parent), DialogOperations(this, helpTopic) {
    ORVIA_ASSERT_MAIN_THREAD();
}

LPropertySheet::LPropertySheet(QWidget* parent, const QString& caption, ApplyButton apply,
                               PageWrites writes)
    : QDialog(parent),
      tabs_(new QTabWidget(this)),
      buttons_(new QDialogButtonBox(this)),
      writes_(writes) {
    ORVIA_ASSERT_MAIN_THREAD();
    setWindowTitle(caption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    QDialogButtonBox::StandardButtons standard =
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help;
    if (apply == ApplyButton::With)
        standard |= QDialogButtonBox::Apply;
    buttons_->setStandardButtons(standard);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, &LPropertySheet::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &LPropertySheet::reject);
    connect(buttons_, &QDialogButtonBox::helpRequested, this, [this] {
        if (LPropertyPage* page = CurrentPage())
            page->OnHelp();
    });
    if (QPushButton* applyButton = buttons_->button(QDialogButtonBox::Apply))
        connect(applyButton, &QPushButton::clicked, this, [this] { Apply(); });
    connect(tabs_, &QTabWidget::currentChanged, this, &LPropertySheet::OnTabChanged);
}

void LPropertySheet::AddPage(LPropertyPage* page, const QString& title) {
    pages_.push_back(page);
    switching_ = true;  // adding the first tab makes it current: not a leave
    tabs_->addTab(page, title);
    switching_ = false;
}

void LPropertySheet::ShowPage(int index) {
    if (index < 0 || index >= static_cast<int>(pages_.size()))
        return;
    pages_[static_cast<std::size_t>(index)]->Prepare();
    current_ = index;
    switching_ = true;
    tabs_->setCurrentIndex(index);
    switching_ = false;
}

bool LPropertySheet::Run() {
    ORVIA_ASSERT_MAIN_THREAD();
    if (current_ < 0)
        ShowPage(0);
    return CurrentQuestions().RunDialog(*this) == QDialog::Accepted;
}

LPropertyPage* LPropertySheet::CurrentPage() const {
    if (current_ < 0 || current_ >= static_cast<int>(pages_.size()))
        return nullptr;
    return pages_[static_cast<std::size_t>(current_)];
}

void LPropertySheet::OnTabChanged(int index) {
    if (switching_)
        return;
    LPropertyPage* leaving = writes_ == PageWrites::OnLeave ? CurrentPage() : nullptr;
    if (leaving != nullptr && !leaving->OnApply()) {
        // The page refuses to be left: it stays current.
        switching_ = true;
        tabs_->setCurrentIndex(current_);
        switching_ = false;
        return;
    }
    ShowPage(index);
}

bool LPropertySheet::Apply() {
    if (writes_ == PageWrites::OnLeave) {
        LPropertyPage* page = CurrentPage();
        return page == nullptr || page->OnApply();
    }
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        if (pages_[i]->IsPrepared() && !pages_[i]->OnApply()) {
            ShowPage(static_cast<int>(i));
            return false;
        }
    }
    return true;
}

void LPropertySheet::accept() {
    if (Apply())
        QDialog::accept();
}

void LPropertySheet::reject() {
    for (LPropertyPage* page : pages_) {
        if (page->IsPrepared())
            page->OnReset();
    }
    QDialog::reject();
}

void LPropertySheet::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        if (LPropertyPage* page = CurrentPage())
            page->OnHelp();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace orvia
