// Text for HTML pages: the FTP index page and the web view.
#pragma once

#include <string>

namespace orvia {

// Text escaped for HTML content and attribute values (& < > " ').
std::string EscapeHtml(const std::string& text);

}  // namespace orvia
