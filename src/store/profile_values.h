// Typed reads and writes of INI values in the shared encodings. A missing key
// yields the default given by the caller.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvia {

int32_t ReadProfileInt(const std::string& file, std::string_view section, std::string_view key,
                       int32_t def);
bool WriteProfileInt(const std::string& file, std::string_view section, std::string_view key,
                     int64_t value);

bool ReadProfileBool(const std::string& file, std::string_view section, std::string_view key,
                     bool def);
bool WriteProfileBool(const std::string& file, std::string_view section, std::string_view key,
                      bool value);

int ReadProfileDb(const std::string& file, std::string_view section, std::string_view key, int def);
bool WriteProfileDb(const std::string& file, std::string_view section, std::string_view key,
                    int db);

int32_t ReadProfileDuration(const std::string& file, std::string_view section, std::string_view key,
                            int32_t def);
bool WriteProfileDuration(const std::string& file, std::string_view section, std::string_view key,
                          int32_t ticks);

int32_t ReadProfileTimeOfDay(const std::string& file, std::string_view section,
                             std::string_view key, int32_t def);
bool WriteProfileTimeOfDay(const std::string& file, std::string_view section, std::string_view key,
                           int32_t seconds);

// Text that is not a date-time reads as the default.
int64_t ReadProfileDateTime(const std::string& file, std::string_view section, std::string_view key,
                            int64_t def);
bool WriteProfileDateTime(const std::string& file, std::string_view section, std::string_view key,
                          int64_t value);

}  // namespace orvia
