// The writes of one page or dialog to one INI file: each value goes
// straight to the file in its encoding, and a write that fails (a full disk,
// a file that cannot be replaced) is remembered, so the page says so once
// instead of losing the value silently.
//
// Main thread only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class QWidget;

namespace orvia {

class SettingsWriter {
public:
    explicit SettingsWriter(std::string file) : file_(std::move(file)) {}

    void Text(std::string_view section, std::string_view key, std::string_view value);
    void Bool(std::string_view section, std::string_view key, bool value);
    void Int(std::string_view section, std::string_view key, int64_t value);
    void Db(std::string_view section, std::string_view key, int db);
    void Duration(std::string_view section, std::string_view key, int32_t ticks);
    void TimeOfDay(std::string_view section, std::string_view key, int32_t seconds);

    bool Ok() const { return ok_; }
    // Tells the user when a write failed; returns Ok().
    bool Report(QWidget* parent) const;

private:
    void Note(bool written) { ok_ = ok_ && written; }

    std::string file_;
    bool ok_ = true;
};

}  // namespace orvia
