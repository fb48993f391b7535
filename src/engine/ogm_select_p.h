// OGM selection: the date-time and caller-id conditions checked whenever a
// call is to enter an OGM (at answer time and on every "go"), which may
// redirect the call to another OGM or refuse it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/template.h"

namespace orvia {

// The given name and up to 32 redirections.
inline constexpr int kOgmExaminationLimit = 33;

// The [datetime] window of an OGM file at the date-time value now:
// commence <= now < expire, the time of day inside [todstart, todend) (a
// window spanning midnight when todend < todstart) and the weekday's bit set
// in the low 7 bits of "weekdays".
bool DateTimeCheckPasses(const std::string& ogmFile, int64_t now);

// The caller-id condition of "cidscanmode": 0 number starts with text, 1
// contains it, 2 does not start with it, 3 does not contain it; other modes
// are false. Exact comparisons; an empty text starts and is inside every
// number.
bool CallerIdConditionHolds(int32_t scanMode, std::string_view number, std::string_view text);

// The definition path of the OGM a call asked for name may enter, after the
// redirections of its conditions; nullopt when the OGM (or one it redirects
// to) does not exist, is refused, has an unsafe name, or the redirections
// need more than kOgmExaminationLimit examinations. The caller number is the
// context's.
std::optional<std::string> ResolveOGM(std::string_view name, const TemplateContext& context,
                                      int64_t now);

}  // namespace orvia
