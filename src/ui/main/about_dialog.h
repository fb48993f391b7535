// The About dialog: the product's picture, name and version, what it is,
// where its data lives, and OK.
//
// Main thread only.
#pragma once

#include "ui/framework/popup_dialog_box.h"

namespace orvia {

class AboutDialog : public LPopupDialogBox {
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent);
};

}  // namespace orvia
