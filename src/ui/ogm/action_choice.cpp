#include "ui/ogm/action_choice.h"

#include <QComboBox>

namespace orvia {
namespace {

const IVRActionInfo* InfoOf(IVRAction action) {
    for (const IVRActionInfo& info : IVRActionTable) {
        if (info.action == action)
            return &info;
    }
    return nullptr;
}

}  // namespace

void FillActionChoice(QComboBox* combo, ActionOffer offer) {
    combo->clear();
    for (const IVRActionInfo& info : IVRActionTable) {
        if (offer == ActionOffer::AtEnd && !info.atEnd)
            continue;
        combo->addItem(QString::fromUtf8(info.label), QString::fromUtf8(info.value));
    }
}

void ShowAction(QComboBox* combo, const std::string& stored, const char* def) {
    const IVRActionInfo* info = InfoOf(ParseAction(stored.empty() ? def : stored));
    const int index = info ? combo->findData(QString::fromUtf8(info->value)) : -1;
    combo->setCurrentIndex(index >= 0 ? index : 0);
}

std::string ChosenActionValue(const QComboBox* combo) {
    return combo->currentData().toString().toStdString();
}

IVRAction ChosenAction(const QComboBox* combo) {
    return ParseAction(ChosenActionValue(combo));
}

bool ChosenHasArguments(const QComboBox* combo) {
    const IVRActionInfo* info = InfoOf(ChosenAction(combo));
    return info != nullptr && info->hasArguments;
}

}  // namespace orvia
