#include "ui/settings/settings_writer.h"

#include "store/profile.h"
#include "store/profile_values.h"
#include "ui/framework/questions.h"

namespace orvia {

void SettingsWriter::Text(std::string_view section, std::string_view key, std::string_view value) {
    Note(WriteProfileString(file_, section, key, value));
}

void SettingsWriter::Bool(std::string_view section, std::string_view key, bool value) {
    Note(WriteProfileBool(file_, section, key, value));
}

void SettingsWriter::Int(std::string_view section, std::string_view key, int64_t value) {
    Note(WriteProfileInt(file_, section, key, value));
}

void SettingsWriter::Db(std::string_view section, std::string_view key, int db) {
    Note(WriteProfileDb(file_, section, key, db));
}

void SettingsWriter::Duration(std::string_view section, std::string_view key, int32_t ticks) {
    Note(WriteProfileDuration(file_, section, key, ticks));
}

void SettingsWriter::TimeOfDay(std::string_view section, std::string_view key, int32_t seconds) {
    Note(WriteProfileTimeOfDay(file_, section, key, seconds));
}

bool SettingsWriter::Report(QWidget* parent) const {
    if (ok_)
        return true;
    CurrentQuestions().Ask(
        parent, {"Settings",
                 QString("Some settings could not be written to \"%1\" (is the disk full, or the "
                         "file not writable?); they keep their earlier values.")
                     .arg(QString::fromStdString(file_)),
                 QuestionIcon::Exclamation, QuestionButtons::Ok});
    return false;
}

}  // namespace orvia
