#include "delivery/mail_texts.h"

#include "platform/time/clock.h"
#include "store/profile.h"
#include "store/profile_values.h"

namespace orvia {
namespace {

constexpr const char* kEol = "\r\n";

void AddLine(std::string& body, const std::string& line) {
    body += line;
    body += kEol;
}

std::string Linked(const std::string& url, const char* label) {
    return url.empty() ? std::string() : url + " " + label;
}

// Lines 3 to 10 of every body: the details and the signature.
void AddDetails(std::string& body, const MessageDetails& details) {
    AddLine(body, "Details:");
    AddLine(body, "  MailBox: " + details.mailbox);
    AddLine(body, "  Date: " + details.date);
    AddLine(body, "  Time: " + details.time);
    AddLine(body, "  Caller ID: " + details.callerId);
    AddLine(body, "");
    AddLine(body, std::string(31, '-'));
    AddLine(body, "Orvia");
}

constexpr const char* kAudioFirstLine = "Attached is the recording of a message received by Orvia.";

}  // namespace

MessageDetails ReadMessageDetails(const std::string& mailboxName, const std::string& messageIni,
                                  DateOrder order) {
    const int64_t when = ReadProfileDateTime(messageIni, "message", "datetime", LocalNow());
    MessageDetails details;
    details.mailbox = mailboxName;
    details.date = FormatDateText(when, order);
    details.time = FormatTimeText(when);
    details.callerId = ReadProfileString(messageIni, "message", "cid", "");
    return details;
}

std::string AudioMailBody(const MessageDetails& details, const WebLinks& links) {
    std::string body;
    AddLine(body, kAudioFirstLine);
    AddLine(body, "");
    AddDetails(body, details);
    AddLine(body, Linked(links.product, "[Orvia Page]"));
    AddLine(body, Linked(links.maker, "[Software Page]"));
    return body;
}

std::string NotificationMailBody(const MessageDetails& details, const WebLinks& links) {
    std::string body;
    AddLine(body, "A message was received by Orvia.");
    AddLine(body, "");
    AddDetails(body, details);
    AddLine(body, links.product);
    AddLine(body, Linked(links.maker, "[Software Page]"));
    return body;
}

std::string ManualMailBody(const std::string& note, const MessageDetails& details,
                           const WebLinks& links) {
    std::string body;
    AddLine(body, kAudioFirstLine);
    AddLine(body, "");
    AddLine(body, note);
    AddLine(body, "");
    AddDetails(body, details);
    AddLine(body, Linked(links.product, "[Orvia Page]"));
    AddLine(body, Linked(links.maker, "[Software Page]"));
    return body;
}

}  // namespace orvia
