// The notices one start of the program sends to the running instance.
//
// A second start tells the running instance that it was started (and whether
// at logon, so that a start at logon only brings back the tray icon); a
// command may ask the running instance to exit. On the wire a notice is one
// short line of text: "second-start 0\n", "second-start 1\n" (logon) or
// "exit\n".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvia {

enum class InstanceNoticeKind { SecondStart, ExitRequest };

struct InstanceNotice {
    InstanceNoticeKind kind = InstanceNoticeKind::SecondStart;
    bool logon = false;  // second start only: it carried "/logon"

    bool operator==(const InstanceNotice&) const = default;
};

std::string EncodeInstanceNotice(const InstanceNotice& notice);
// The notice a line encodes (the line end is optional); nothing for any
// other text.
std::optional<InstanceNotice> ParseInstanceNotice(std::string_view text);

}  // namespace orvia
