#include "delivery/index_page_p.h"

#include "delivery/mail_texts.h"
#include "delivery/web_name_p.h"
#include "engine/mailbox_files.h"

namespace orvia {
namespace {

constexpr const char* kPageHeader =
    "<html><head><title>Orvia Voice Mail Box</title><META HTTP-EQUIV=\"Content-Type\" "
    "CONTENT=\"text/html; charset=iso-8859-1\"></head><body><h3>Orvia Voice Mail "
    "Box</h3><hr><center><table border=0 cellspacing=0><tr><td><table border=0 cellspacing=0 "
    "width=470><tr bgcolor=#bbddbb><td>DATE</td><td>TIME</td><td>CID</td><td>PLAY</td></tr>";

constexpr const char* kFooterStart =
    "</table></tr></td><tr><td>&nbsp</td></tr><tr><td>&nbsp</td></tr><tr><td><center>";
constexpr const char* kFooterMiddle = "</center></td></tr></table></center><hr>Created by<br>";
constexpr const char* kFooterEnd = "<p></body></html>";

// A relative link to a file name: characters that would end the path part
// (or are not printable) are percent-encoded.
std::string RelativeLink(const std::string& name) {
    static const char* hex = "0123456789ABCDEF";
    std::string link;
    for (unsigned char c : name) {
        if (c <= ' ' || c >= 0x7f || c == '%' || c == '#' || c == '?' || c == '"' || c == '\\') {
            link += '%';
            link += hex[c >> 4];
            link += hex[c & 15];
        } else {
            link += static_cast<char>(c);
        }
    }
    return link;
}

std::string BannerImage(const std::string& productUrl) {
    const bool slash = !productUrl.empty() && productUrl.back() == '/';
    return productUrl + (slash ? "" : "/") + "banner.png";
}

std::string Footer(const WebLinks& links) {
    std::string footer = kFooterStart;
    const std::string product = EscapeHtml(links.product);
    const std::string maker = EscapeHtml(links.maker);
    if (!product.empty())
        footer += "<a href=\"" + product + "\"><img src=\"" +
                  EscapeHtml(BannerImage(links.product)) + "\" border=0 alt=\"Orvia\"></a>";
    footer += kFooterMiddle;
    footer += product.empty() ? std::string("Orvia") : "<a href=\"" + product + "\">Orvia</a>";
    footer += "<br>Made by the Orvia developers<p>";
    if (!maker.empty())
        footer += "<a href=\"" + maker + "\">More business audio software</a>";
    footer += kFooterEnd;
    return footer;
}

}  // namespace

std::string BuildIndexPage(const std::string& mailboxName, const WebLinks& links, DateOrder order) {
    std::string page = kPageHeader;
    for (const std::string& messageIni : ListMessageFiles(mailboxName)) {
        const MessageDetails details = ReadMessageDetails(mailboxName, messageIni, order);
        page += "<tr><td>" + details.date + "</td><td>" + details.time + "</td><td>" +
                EscapeHtml(details.callerId) + "</td><td><a href=\"" +
                EscapeHtml(RelativeLink(MessageWebName(messageIni))) +
                "\">Click to Play</a></td></tr>";
    }
    page += Footer(links);
    return page;
}

}  // namespace orvia
