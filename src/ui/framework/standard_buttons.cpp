#include "ui/framework/standard_buttons.h"

#include <QDialogButtonBox>

#include "ui/framework/popup_dialog_box.h"

namespace orvia {

QDialogButtonBox* MakeOkCancelButtons(LPopupDialogBox* dialog) {
    QDialogButtonBox::StandardButtons standard = QDialogButtonBox::Ok | QDialogButtonBox::Cancel;
    if (dialog->HelpTopic() != 0)
        standard |= QDialogButtonBox::Help;
    auto* buttons = new QDialogButtonBox(standard, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &LPopupDialogBox::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &LPopupDialogBox::reject);
    QObject::connect(buttons, &QDialogButtonBox::helpRequested, dialog,
                     [dialog] { dialog->OnHelp(); });
    return buttons;
}

}  // namespace orvia
