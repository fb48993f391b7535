// Remote names of uploaded files: the web name of a local name is that name
// with the letters A to Z in lower case and every space turned into "_";
// nothing else changes.
#pragma once

#include <string>
#include <string_view>

namespace orvia {

std::string WebName(std::string_view localName);
// "<web name of the message file's stem>.wav" for a message file path
// ("Sales Dept ICM000012.ini" gives "sales_dept_icm000012.wav").
std::string MessageWebName(std::string_view messagePath);
// "<web name of the mailbox name>.html".
std::string IndexPageWebName(std::string_view mailboxName);

}  // namespace orvia
