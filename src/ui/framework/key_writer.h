// Writes the keys of one INI file for a dialog's OnApply and remembers
// whether every write succeeded, so the dialog can say so and stay open
// instead of closing as if all was saved.
//
// Main thread only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ui/framework/questions.h"

class QWidget;

namespace orvia {

class KeyWriter {
public:
    explicit KeyWriter(std::string file) : file_(std::move(file)) {}

    void Text(std::string_view section, std::string_view key, std::string_view value);
    void Bool(std::string_view section, std::string_view key, bool value);
    void Int(std::string_view section, std::string_view key, int64_t value);
    void Db(std::string_view section, std::string_view key, int db);
    void Duration(std::string_view section, std::string_view key, int32_t ticks);
    void TimeOfDay(std::string_view section, std::string_view key, int32_t seconds);
    void DateTime(std::string_view section, std::string_view key, int64_t value);

    const std::string& File() const { return file_; }
    bool Ok() const { return ok_; }
    // Ok(); otherwise tells the user (the "Save Failed" message) and is false.
    bool Confirm(QWidget* parent) const;

private:
    void Done(bool written) { ok_ = ok_ && written; }

    std::string file_;
    bool ok_ = true;
};

// The "Save Failed" message Confirm shows.
Question SaveFailedQuestion(const std::string& file);

}  // namespace orvia
