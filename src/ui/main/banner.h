// The banner line under the main window's lists (it shows the next of a few
// short texts every 8 s, the product name and version first) and the links
// menu that the banner and the logo open.
//
// Main thread only.
#pragma once

#include <QString>
#include <string>
#include <vector>

namespace orvia {

// "Orvia <version>".
QString ProductTitle();

// The banner's texts, in the order shown.
std::vector<QString> BannerTexts();

// One entry of the links menu: its text and the address or folder it opens
// (empty: the entry is shown greyed).
struct LinkEntry {
    QString title;
    std::string target;
};

// The links: the product's and the maker's web pages ("settings"/"producturl",
// "makerurl") and the data folders.
std::vector<LinkEntry> LinkEntries();

}  // namespace orvia
