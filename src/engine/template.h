// Template expansion of OGM text values: "%name%" placeholders replaced by
// call variables and by the fixed values time, date, cid, callername,
// linenumber and linename.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ivr_variables.h"

namespace orvia {

// Longest expanded text and longest placeholder name.
inline constexpr std::size_t kTemplateMax = 259;

// What a template can refer to during one call.
struct TemplateContext {
    const IVRVariables* variables = nullptr;
    std::string_view callerNumber;
    std::string_view callerName;
    int lineIndex = 0;
    // The line's settings section; %linename% reads its "name" key.
    std::string_view lineSection;
};

// Copies text, replacing each "%name%" (a "%" without a closing one takes the
// rest of the text as the name). The replacement is the call variable of
// that name (nothing when there is none), except for the fixed names, compared
// without regard to case, which always win: "time" (HH:MM:SS now), "date"
// (the date in the user's order), "cid" and "callername" (from the line),
// "linenumber" and "linename". The result keeps at most kTemplateMax
// characters; a text without "%" is returned as it is.
//
// callerValueUnsafe, when given, is set true if a value that the caller
// controls (a call variable, the caller number or name) was put into the text
// and fails IsSafeName.
std::string ExpandTemplate(std::string_view text, const TemplateContext& context,
                           bool* callerValueUnsafe = nullptr);

// Expands a template naming a file inside a data folder (an OGM, mailbox or
// log name); nullopt when the expanded name fails IsSafeName.
std::optional<std::string> ExpandFileName(std::string_view text, const TemplateContext& context);

// Expands a template holding an administrator's full path; nullopt when a
// caller value put into it fails IsSafeName or the expansion adds a ".."
// path component that the template does not hold.
std::optional<std::string> ExpandFullPath(std::string_view text, const TemplateContext& context);

// The arguments of a command line template: the template is split first
// (SplitCommandLine: blanks separate, double quotes group) and each argument
// is then expanded as by ExpandFullPath, so a caller value stays inside the
// argument it was put into and can add no argument of its own. nullopt when
// an argument is refused or there is no program.
std::optional<std::vector<std::string>> ExpandCommandLine(std::string_view text,
                                                          const TemplateContext& context);

}  // namespace orvia
