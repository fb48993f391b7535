#include "engine/ogm_select_p.h"

#include <sys/stat.h>

#include "engine/ogm_files.h"
#include "engine/safe_name.h"
#include "platform/time/clock.h"
#include "store/encodings.h"
#include "store/profile.h"
#include "store/profile_values.h"

namespace orvia {
namespace {

constexpr int32_t kSecondsPerDay = 86400;

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// What the conditions of one OGM decide.
enum class Verdict { Accept, Refuse, Redirect };

struct Examination {
    Verdict verdict = Verdict::Refuse;
    std::string redirectTemplate;  // the OGM name to examine next
};

// How a failed or holding condition continues: 1 redirects to the OGM named
// by the template key, 2 refuses, anything else carries on.
enum class Continuation { CarryOn, Redirect, Refuse };

Continuation ContinuationOf(int32_t mode) {
    if (mode == 1)
        return Continuation::Redirect;
    if (mode == 2)
        return Continuation::Refuse;
    return Continuation::CarryOn;
}

Examination Examine(const std::string& path, int64_t now, std::string_view callerNumber) {
    if (ReadProfileBool(path, kOgmSectionDateTime, "enabled", false) &&
        !DateTimeCheckPasses(path, now)) {
        switch (ContinuationOf(ReadProfileInt(path, kOgmSectionDateTime, "failmode", 0))) {
            case Continuation::Redirect:
                return {Verdict::Redirect,
                        ReadProfileString(path, kOgmSectionDateTime, "failogm", "")};
            case Continuation::Refuse:
                return {Verdict::Refuse, {}};
            case Continuation::CarryOn:
                break;
        }
    }
    if (!ReadProfileBool(path, kOgmSectionCid, "enabled", false))
        return {Verdict::Accept, {}};
    const int32_t scanMode = ReadProfileInt(path, kOgmSectionCid, "cidscanmode", 0);
    const std::string text = ReadProfileString(path, kOgmSectionCid, "cid", "");
    if (!CallerIdConditionHolds(scanMode, callerNumber, text))
        return {Verdict::Accept, {}};
    switch (ContinuationOf(ReadProfileInt(path, kOgmSectionCid, "mode", 0))) {
        case Continuation::Redirect:
            return {Verdict::Redirect, ReadProfileString(path, kOgmSectionCid, "ogm", "")};
        case Continuation::Refuse:
            return {Verdict::Refuse, {}};
        case Continuation::CarryOn:
            break;
    }
    return {Verdict::Accept, {}};
}

bool IsYearly(int64_t value) {
    return value >= 2 && value < kDateTimeRecurringEnd;
}

// now as a yearly date value: months of 31 days, counted from 2.
int64_t PlaceInYear(int64_t now) {
    const LocalFields t = BreakDown(now);
    return 2 + (t.month - 1) * 2678400LL + (t.day - 1) * 86400LL + t.hour * 3600LL +
           t.minute * 60LL + t.second;
}

}  // namespace

bool DateTimeCheckPasses(const std::string& ogmFile, int64_t now) {
    const int64_t commence =
        ReadProfileDateTime(ogmFile, kOgmSectionDateTime, "commence", kDateTimeImmediate);
    const int64_t expire =
        ReadProfileDateTime(ogmFile, kOgmSectionDateTime, "expire", kDateTimeNever);
    // A date that recurs every year ("24/12/YY-00:00:00") is compared with
    // now's place in the current year: taken as a date in 1970 it would
    // leave an OGM that expires on it never valid. Two yearly dates with the
    // commencement after the expiry make a window over the new year.
    const int64_t place = PlaceInYear(now);
    const bool yearlyCommence = IsYearly(commence);
    const bool yearlyExpire = IsYearly(expire);
    if (yearlyCommence && yearlyExpire && commence > expire) {
        if (place < commence && place >= expire)
            return false;
    } else if ((yearlyCommence ? place : now) < commence ||
               (yearlyExpire ? place : now) >= expire) {
        return false;
    }

    const int32_t start = ReadProfileTimeOfDay(ogmFile, kOgmSectionDateTime, "todstart", 0);
    const int32_t end =
        ReadProfileTimeOfDay(ogmFile, kOgmSectionDateTime, "todend", kSecondsPerDay);
    int64_t timeOfDay = now % kSecondsPerDay;
    if (timeOfDay < 0)
        timeOfDay += kSecondsPerDay;
    const bool inWindow = end < start ? (timeOfDay >= start || timeOfDay < end)
                                      : (timeOfDay >= start && timeOfDay < end);
    if (!inWindow)
        return false;

    const int32_t weekdays = ReadProfileInt(ogmFile, kOgmSectionDateTime, "weekdays", 127);
    const int weekdayBit = 1 << BreakDown(now).weekday;
    return (weekdays & 0x7F & weekdayBit) != 0;
}

bool CallerIdConditionHolds(int32_t scanMode, std::string_view number, std::string_view text) {
    const bool startsWith = number.substr(0, text.size()) == text;
    const bool contains = number.find(text) != std::string_view::npos;
    switch (scanMode) {
        case 0:
            return startsWith;
        case 1:
            return contains;
        case 2:
            return !startsWith;
        case 3:
            return !contains;
        default:
            return false;
    }
}

std::optional<std::string> ResolveOGM(std::string_view name, const TemplateContext& context,
                                      int64_t now) {
    std::string current(name);
    for (int examined = 0; examined < kOgmExaminationLimit; ++examined) {
        if (!IsSafeName(current))
            return std::nullopt;
        std::string path = OgmDefinitionPath(current);
        if (!IsRegularFile(path))
            return std::nullopt;
        Examination result = Examine(path, now, context.callerNumber);
        switch (result.verdict) {
            case Verdict::Accept:
                return path;
            case Verdict::Refuse:
                return std::nullopt;
            case Verdict::Redirect:
                current = ExpandTemplate(result.redirectTemplate, context);
                break;
        }
    }
    return std::nullopt;
}

}  // namespace orvia
