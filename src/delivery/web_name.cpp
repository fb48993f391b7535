#include "delivery/web_name_p.h"

#include "delivery/message_files.h"

namespace orvia {

std::string WebName(std::string_view localName) {
    std::string name(localName);
    for (char& c : name) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        else if (c == ' ')
            c = '_';
    }
    return name;
}

std::string MessageWebName(std::string_view messagePath) {
    return WebName(FileStem(messagePath)) + ".wav";
}

std::string IndexPageWebName(std::string_view mailboxName) {
    return WebName(mailboxName) + ".html";
}

}  // namespace orvia
