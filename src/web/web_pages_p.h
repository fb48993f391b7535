// The web view's pages as HTML, from plain values: no file or core access
// here, so every page is made the same way whatever asked for it. Every
// text that comes from files or callers is escaped.
//
// Any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/text/html_text.h"

namespace orvia {

// "0:42", "12:05" for a length in seconds.
std::string LengthText(int64_t seconds);

// The frame every signed-in page shares: title, navigation and sign-out.
struct PageFrame {
    std::string title;
    std::string csrf;     // the session's form token
    std::string current;  // "mailboxes", "lines" or "logs"
};
std::string SignedInPage(const PageFrame& frame, const std::string& content);

// The sign-in form; problem is shown above it when not empty.
std::string SignInPage(const std::string& formToken, const std::string& problem,
                       const std::string& user);

struct MailboxRow {
    std::string id;  // the mailbox's address in the web view
    std::string name;
    int unread = 0;
    int total = 0;
};
std::string MailboxesContent(const std::vector<MailboxRow>& rows);

struct MessageRow {
    std::string number;  // the digits of its file name
    int64_t when = -1;   // local date-time; -1 when unknown
    std::string callerId;
    std::string callerName;
    int64_t seconds = 0;
    bool read = false;
};
std::string MessagesContent(const MailboxRow& mailbox, const std::vector<MessageRow>& rows,
                            const std::string& csrf, const std::string& notice);

struct LineRow {
    std::string name;
    std::string device;
    std::string phase;  // "idle", "ringing", ...
    std::string state;  // the state as `orvia status` words it
};
struct LinesView {
    std::vector<LineRow> lines;
    std::string delivery;      // what waits for delivery, in words
    std::string levelControl;  // what waits for level control, in words
    std::string lastFailure;   // the last delivery failure; empty: none
};
std::string LinesContent(const LinesView& view);

struct LogDay {
    int64_t day = 0;                                           // local date-time of the day's start
    std::vector<std::pair<std::string, std::string>> entries;  // time text, entry text
};
std::string LogsContent(const std::vector<LogDay>& days, int dayCount);

// A page with one short message (not found, refused, busy).
std::string NoticePage(const std::string& title, const std::string& text, bool signedIn);

// The stylesheet and the script the pages load (no other resources exist).
const std::string& StyleSheet();
const std::string& PageScript();

}  // namespace orvia
