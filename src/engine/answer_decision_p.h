// The settings side of the answering decision: how many rings a call needs,
// whether answering is on, and with which OGM a call starts (settings "ogm",
// auto-hours, the line's override). Read from settings.ini at each call.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvia {

// With the toll saver 3 rings while [state] "newmessages" is true and 5
// otherwise; else settings "nrings" (default 3).
int32_t RingsNeeded();

struct AnswerChoice {
    bool answeringOn = true;
    std::string ogmName;
};

// [state] "on" and settings "ogm", then auto-hours at the date-time now (mode
// 1 names the OGM, mode 2 turns answering off), then the line's "ogm" when its
// "ogmoverride" is true (which does not turn answering back on).
AnswerChoice ChooseAnswer(std::string_view lineSection, int64_t now);

}  // namespace orvia
