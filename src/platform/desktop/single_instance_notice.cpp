#include "platform/desktop/single_instance_notice.h"

namespace orvia {

std::string EncodeInstanceNotice(const InstanceNotice& notice) {
    if (notice.kind == InstanceNoticeKind::ExitRequest)
        return "exit\n";
    return notice.logon ? "second-start 1\n" : "second-start 0\n";
}

std::optional<InstanceNotice> ParseInstanceNotice(std::string_view text) {
    if (!text.empty() && text.back() == '\n')
        text.remove_suffix(1);
    if (text == "exit")
        return InstanceNotice{InstanceNoticeKind::ExitRequest, false};
    if (text == "second-start 0")
        return InstanceNotice{InstanceNoticeKind::SecondStart, false};
    if (text == "second-start 1")
        return InstanceNotice{InstanceNoticeKind::SecondStart, true};
    return std::nullopt;
}

}  // namespace orvia
