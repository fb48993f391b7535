#include "ui/framework/progress_dialog.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <algorithm>

#include "platform/thread/thread_affinity.h"

namespace orvia {
namespace {

QString Lines(const QString& line1, const QString& line2) {
    return line2.isEmpty() ? line1 : line1 + "\n" + line2;
}

}  // namespace

LProgressDialog::LProgressDialog(QWidget* owner, const QString& caption, const QString& line1,
                                 const QString& line2)
    : dialog_(std::make_unique<QProgressDialog>(Lines(line1, line2), QObject::tr("Cancel"), 0, 100,
                                                owner)) {
    ORVIA_ASSERT_MAIN_THREAD();
    dialog_->setWindowTitle(caption);
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setMinimumDuration(0);
    dialog_->setMinimumWidth(dialog_->fontMetrics().averageCharWidth() * 48);
    dialog_->setValue(0);
    dialog_->show();
    QCoreApplication::processEvents();
}

LProgressDialog::~LProgressDialog() {
    dialog_->hide();
}

void LProgressDialog::SetText(const QString& line1, const QString& line2) {
    dialog_->setLabelText(Lines(line1, line2));
}

void LProgressDialog::SetPercent(int percent) {
    dialog_->setValue(std::clamp(percent, 0, 100));
}

bool LProgressDialog::Cancelled() {
    ORVIA_ASSERT_MAIN_THREAD();
    QCoreApplication::processEvents();
    return dialog_->wasCanceled() || !dialog_->isVisible();
}

bool RunProcessDialog(QWidget* owner, const QString& caption, const QString& text,
                      const std::function<bool(const ProcessControl&)>& work) {
    LProgressDialog dialog(owner, caption, text);
    ProcessControl control;
    control.cancelled = [&dialog] { return dialog.Cancelled(); };
    control.progress = [&dialog](int percent) { dialog.SetPercent(percent); };
    const bool ok = work(control);
    return ok && !dialog.Cancelled();
}

}  // namespace orvia
