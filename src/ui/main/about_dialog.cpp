#include "ui/main/about_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>

#include "store/settings_store.h"
#include "ui/main/banner.h"
#include "ui/framework/pictures.h"

namespace orvia {

AboutDialog::AboutDialog(QWidget* parent) : LPopupDialogBox(parent) {
    setWindowTitle(tr("About Orvia"));
    auto* picture = new QLabel(this);
    picture->setPixmap(Picture(kPictureWindowIcon).pixmap(QSize(64, 64)));
    picture->setAlignment(Qt::AlignTop);
    auto* title = new QLabel(ProductTitle(), this);
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    title->setFont(big);
    auto* what = new QLabel(
        tr("A telephone answering machine and small IVR system: it answers your lines, plays "
           "your out-going messages, takes messages into voice mailboxes and delivers them by "
           "e-mail, FTP or a call back."),
        this);
    what->setWordWrap(true);
    auto* data =
        new QLabel(tr("Data folder: %1").arg(QString::fromStdString(Store().DataFolder())), this);
    data->setTextFormat(Qt::PlainText);
    data->setTextInteractionFlags(Qt::TextSelectableByMouse);
    data->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &AboutDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->addWidget(picture, 0, 0, 3, 1);
    layout->addWidget(title, 0, 1);
    layout->addWidget(what, 1, 1);
    layout->addWidget(data, 2, 1);
    layout->addWidget(buttons, 3, 0, 1, 2);
    layout->setHorizontalSpacing(fontMetrics().averageCharWidth() * 3);
    what->setMinimumWidth(fontMetrics().averageCharWidth() * 52);
}

}  // namespace orvia
