#include "engine/answer_decision_p.h"

#include "engine/ogm_files.h"
#include "platform/time/clock.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"

namespace orvia {
namespace {

constexpr const char* kAutoHours = "autohours";

struct OpeningHours {
    int32_t open;
    int32_t close;
};

OpeningHours HoursOf(const std::string& settings, int weekday) {
    if (weekday == 6)
        return {ReadProfileTimeOfDay(settings, kAutoHours, "satopen", 0),
                ReadProfileTimeOfDay(settings, kAutoHours, "satclose", 0)};
    if (weekday == 0)
        return {ReadProfileTimeOfDay(settings, kAutoHours, "sunopen", 0),
                ReadProfileTimeOfDay(settings, kAutoHours, "sunclose", 0)};
    return {ReadProfileTimeOfDay(settings, kAutoHours, "weekdayopen", 32400),
            ReadProfileTimeOfDay(settings, kAutoHours, "weekdayclose", 61200)};
}

void ApplyAutoHours(const std::string& settings, int64_t now, AnswerChoice& choice) {
    if (!ReadProfileBool(settings, kAutoHours, "enabled", false))
        return;
    const LocalFields fields = BreakDown(now);
    const int32_t timeOfDay = fields.hour * 3600 + fields.minute * 60 + fields.second;
    const OpeningHours hours = HoursOf(settings, fields.weekday);
    const bool within = hours.open <= timeOfDay && timeOfDay < hours.close;
    const int32_t mode = within ? ReadProfileInt(settings, kAutoHours, "duringmode", 2)
                                : ReadProfileInt(settings, kAutoHours, "aftermode", 0);
    if (mode == 1)
        choice.ogmName = ReadProfileString(settings, kAutoHours, within ? "duringogm" : "afterogm",
                                           kDefaultOgmName);
    else if (mode == 2)
        choice.answeringOn = false;
}

}  // namespace

int32_t RingsNeeded() {
    const std::string& settings = Store().SettingsFile();
    if (ReadProfileBool(settings, "settings", "tollsaver", false))
        return ReadProfileBool(settings, "state", "newmessages", false) ? 3 : 5;
    return ReadProfileInt(settings, "settings", "nrings", 3);
}

AnswerChoice ChooseAnswer(std::string_view lineSection, int64_t now) {
    const std::string& settings = Store().SettingsFile();
    AnswerChoice choice;
    choice.answeringOn = ReadProfileBool(settings, "state", "on", true);
    choice.ogmName = ReadProfileString(settings, "settings", "ogm", kDefaultOgmName);
    ApplyAutoHours(settings, now, choice);
    if (ReadProfileBool(settings, lineSection, "ogmoverride", false))
        choice.ogmName = ReadProfileString(settings, lineSection, "ogm", kDefaultOgmName);
    return choice;
}

}  // namespace orvia
