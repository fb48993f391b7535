#include "ui/framework/key_writer.h"

#include "store/profile.h"
#include "store/profile_values.h"

namespace orvia {

void KeyWriter::Text(std::string_view section, std::string_view key, std::string_view value) {
    Done(WriteProfileString(file_, section, key, value));
}

void KeyWriter::Bool(std::string_view section, std::string_view key, bool value) {
    Done(WriteProfileBool(file_, section, key, value));
}

void KeyWriter::Int(std::string_view section, std::string_view key, int64_t value) {
    Done(WriteProfileInt(file_, section, key, value));
}

void KeyWriter::Db(std::string_view section, std::string_view key, int db) {
    Done(WriteProfileDb(file_, section, key, db));
}

void KeyWriter::Duration(std::string_view section, std::string_view key, int32_t ticks) {
    Done(WriteProfileDuration(file_, section, key, ticks));
}

void KeyWriter::TimeOfDay(std::string_view section, std::string_view key, int32_t seconds) {
    Done(WriteProfileTimeOfDay(file_, section, key, seconds));
}

void KeyWriter::DateTime(std::string_view section, std::string_view key, int64_t value) {
    Done(WriteProfileDateTime(file_, section, key, value));
}

bool KeyWriter::Confirm(QWidget* parent) const {
    if (ok_)
        return true;
    CurrentQuestions().Ask(parent, SaveFailedQuestion(file_));
    return false;
}

Question SaveFailedQuestion(const std::string& file) {
    return {"Save Failed",
            QString("Not every setting could be written to \"%1\" (is the disk full, or the file "
                    "not writable?). The dialog stays open so that nothing you typed is lost: "
                    "correct the cause and try again.")
                .arg(QString::fromStdString(file)),
            QuestionIcon::Exclamation, QuestionButtons::Ok};
}

}  // namespace orvia
