// The call logs in the Logs folder: one daily log per calendar day
// ("Log YY-MM-DD.txt") and the special logs that OGMs name. Logs are only
// appended to; an entry that cannot be written is lost without an error and
// never stops a call.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvia {

// Appends "\r\nHH-MM-SS text" to today's daily log, creating it with its
// header when missing. Uses the process-wide store's Logs folder.
void WriteDailyLog(std::string_view text);

// Appends "\r\ntext" to the special log at path, creating it with its header
// when missing. The caller forms the path and expands the text.
void WriteSpecialLog(const std::string& path, std::string_view text);

// The daily log's path for a date-time value (for tests and the log viewer).
std::string DailyLogPath(int64_t localSeconds);

}  // namespace orvia
