#include "ui/settings/ogm_choice.h"

#include <QComboBox>

#include "app/core/main_lists.h"

namespace orvia {

void FillOgmChoice(QComboBox* combo, const std::string& stored) {
    combo->clear();
    for (const std::string& name : AnswerOgmNames())
        combo->addItem(QString::fromStdString(name));
    combo->setCurrentIndex(combo->findText(QString::fromStdString(stored),
                                           Qt::MatchStartsWith | Qt::MatchCaseSensitive));
}

}  // namespace orvia
