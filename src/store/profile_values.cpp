#include "store/profile_values.h"

#include "store/encodings.h"
#include "store/profile.h"

namespace orvia {

int32_t ReadProfileInt(const std::string& file, std::string_view section, std::string_view key,
                       int32_t def) {
    auto value = ReadProfileValue(file, section, key);
    return value ? ParseInt(*value) : def;
}

bool WriteProfileInt(const std::string& file, std::string_view section, std::string_view key,
                     int64_t value) {
    return WriteProfileString(file, section, key, std::to_string(value));
}

bool ReadProfileBool(const std::string& file, std::string_view section, std::string_view key,
                     bool def) {
    auto value = ReadProfileValue(file, section, key);
    return value ? ParseBool(*value) : def;
}

bool WriteProfileBool(const std::string& file, std::string_view section, std::string_view key,
                      bool value) {
    return WriteProfileString(file, section, key, FormatBool(value));
}

int ReadProfileDb(const std::string& file, std::string_view section, std::string_view key,
                  int def) {
    auto value = ReadProfileValue(file, section, key);
    return value ? ParseDb(*value) : def;
}

bool WriteProfileDb(const std::string& file, std::string_view section, std::string_view key,
                    int db) {
    return WriteProfileString(file, section, key, FormatDb(db));
}

int32_t ReadProfileDuration(const std::string& file, std::string_view section, std::string_view key,
                            int32_t def) {
    auto value = ReadProfileValue(file, section, key);
    return value ? ParseDuration(*value) : def;
}

bool WriteProfileDuration(const std::string& file, std::string_view section, std::string_view key,
                          int32_t ticks) {
    return WriteProfileString(file, section, key, FormatDuration(ticks));
}

int32_t ReadProfileTimeOfDay(const std::string& file, std::string_view section,
                             std::string_view key, int32_t def) {
    auto value = ReadProfileValue(file, section, key);
    return value ? ParseTimeOfDay(*value) : def;
}

bool WriteProfileTimeOfDay(const std::string& file, std::string_view section, std::string_view key,
                           int32_t seconds) {
    return WriteProfileString(file, section, key, FormatTimeOfDay(seconds));
}

int64_t ReadProfileDateTime(const std::string& file, std::string_view section, std::string_view key,
                            int64_t def) {
    auto value = ReadProfileValue(file, section, key);
    return value ? ParseDateTime(*value).value_or(def) : def;
}

bool WriteProfileDateTime(const std::string& file, std::string_view section, std::string_view key,
                          int64_t value) {
    return WriteProfileString(file, section, key, FormatDateTime(value));
}

}  // namespace orvia
