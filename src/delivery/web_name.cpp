#include "delivery/web_name_p.h"

#include "platform/files/path_names.h"
#include "platform/text/ascii_text.h"

namespace orvia {

std::string WebName(std::string_view localName) {
    std::string name(localName);
    for (char& c : name)
        c = c == ' ' ? '_' : AsciiLower(c);
    return name;
}

std::string MessageWebName(std::string_view messagePath) {
    return WebName(FileStemOf(messagePath)) + ".wav";
}

std::string IndexPageWebName(std::string_view mailboxName) {
    return WebName(mailboxName) + ".html";
}

}  // namespace orvia
