#include "engine/template.h"

#include <cstdio>

#include "engine/line_settings_p.h"
#include "engine/safe_name.h"
#include "platform/process/process_command_line.h"
#include "platform/text/ascii_text.h"
#include "platform/time/clock.h"
#include "store/date_text.h"

namespace orvia {
namespace {

// The fixed value of a placeholder name; nullopt for names that are not
// fixed. callerValue tells whether the value comes from the caller.
std::optional<std::string> FixedValue(std::string_view name, const TemplateContext& context,
                                      bool& callerValue) {
    callerValue = false;
    if (EqualsNoCase(name, "time"))
        return FormatTimeText(LocalNow());
    if (EqualsNoCase(name, "date"))
        return FormatDateText(LocalNow());
    if (EqualsNoCase(name, "linenumber"))
        return std::to_string(context.lineIndex);
    if (EqualsNoCase(name, "linename"))
        return LineName(context.lineSection);
    callerValue = true;
    if (EqualsNoCase(name, "cid"))
        return std::string(context.callerNumber);
    if (EqualsNoCase(name, "callername"))
        return std::string(context.callerName);
    return std::nullopt;
}

std::size_t CountDotDotComponents(std::string_view path) {
    std::size_t count = 0;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (path.substr(start, end - start) == "..")
            ++count;
        start = end + 1;
    }
    return count;
}

void AppendLimited(std::string& out, std::string_view text) {
    if (out.size() >= kTemplateMax)
        return;
    out.append(text.substr(0, kTemplateMax - out.size()));
}

}  // namespace

std::string ExpandTemplate(std::string_view text, const TemplateContext& context,
                           bool* callerValueUnsafe) {
    if (text.find('%') == std::string_view::npos)
        return std::string(text);
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c != '%') {
            if (out.size() < kTemplateMax)
                out.push_back(c);
            ++i;
            continue;
        }
        std::size_t end = text.find('%', i + 1);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view name = text.substr(i + 1, end - i - 1);
        if (name.size() > kTemplateMax)
            name = name.substr(0, kTemplateMax);
        i = end + 1;

        bool callerValue = false;
        std::optional<std::string> value = FixedValue(name, context, callerValue);
        if (!value) {
            callerValue = true;
            const std::string* variable =
                context.variables ? context.variables->Find(name) : nullptr;
            value = variable ? *variable : std::string();
        }
        if (callerValue && callerValueUnsafe && !IsSafeName(*value))
            *callerValueUnsafe = true;
        AppendLimited(out, *value);
    }
    return out;
}

std::optional<std::string> ExpandFileName(std::string_view text, const TemplateContext& context) {
    std::string name = ExpandTemplate(text, context);
    if (!IsSafeName(name))
        return std::nullopt;
    return name;
}

std::optional<std::string> ExpandFullPath(std::string_view text, const TemplateContext& context) {
    bool unsafe = false;
    std::string path = ExpandTemplate(text, context, &unsafe);
    if (unsafe || CountDotDotComponents(path) > CountDotDotComponents(text))
        return std::nullopt;
    return path;
}

std::optional<std::vector<std::string>> ExpandCommandLine(std::string_view text,
                                                          const TemplateContext& context) {
    std::vector<std::string> args;
    for (const std::string& arg : SplitCommandLine(text)) {
        std::optional<std::string> expanded = ExpandFullPath(arg, context);
        if (!expanded)
            return std::nullopt;
        args.push_back(std::move(*expanded));
    }
    if (args.empty() || args.front().empty())
        return std::nullopt;
    return args;
}

}  // namespace orvia
