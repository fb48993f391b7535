#include "web/web_pages_p.h"

#include <cstdio>

#include "platform/text/html_text.h"
#include "platform/time/clock.h"

namespace orvia {
namespace {

std::string Head(const std::string& title) {
    return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
           "<meta name=\"referrer\" content=\"no-referrer\">"
           "<title>" +
           EscapeHtml(title) +
           " - Orvia</title><link rel=\"stylesheet\" href=\"/style.css\">"
           "<script src=\"/app.js\" defer></script></head>\n";
}

std::string Hidden(const std::string& csrf) {
    return "<input type=\"hidden\" name=\"csrf\" value=\"" + EscapeHtml(csrf) + "\">";
}

std::string NavLink(const char* href, const char* text, const char* key,
                    const std::string& current) {
    std::string link = "<a href=\"" + std::string(href) + "\"";
    if (current == key)
        link += " aria-current=\"page\"";
    return link + ">" + text + "</a>";
}

std::string Plural(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string DateOnly(int64_t localSeconds) {
    return DateTimeText(localSeconds, 'T').substr(0, 10);
}

}  // namespace

std::string LengthText(int64_t seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
    return text;
}

std::string SignedInPage(const PageFrame& frame, const std::string& content) {
    return Head(frame.title) + "<body><header><a class=\"brand\" href=\"/\">Orvia</a><nav>" +
           NavLink("/", "Mailboxes", "mailboxes", frame.current) +
           NavLink("/lines", "Lines", "lines", frame.current) +
           NavLink("/logs", "Call logs", "logs", frame.current) +
           "</nav><form method=\"post\" action=\"/signout\">" + Hidden(frame.csrf) +
           "<button type=\"submit\" class=\"link\">Sign out</button></form></header>\n<main>" +
           content + "</main></body></html>\n";
}

std::string SignInPage(const std::string& formToken, const std::string& problem,
                       const std::string& user) {
    std::string page = Head("Sign in") +
                       "<body class=\"signin\"><main><h1>Orvia</h1>"
                       "<form method=\"post\" action=\"/signin\" class=\"card\">";
    if (!problem.empty())
        page += "<p class=\"problem\" role=\"alert\">" + EscapeHtml(problem) + "</p>";
    page += Hidden(formToken) +
            "<label for=\"user\">User name</label>"
            "<input id=\"user\" name=\"user\" autocomplete=\"username\" required value=\"" +
            EscapeHtml(user) +
            "\"><label for=\"password\">Password</label>"
            "<input id=\"password\" name=\"password\" type=\"password\" "
            "autocomplete=\"current-password\" required>"
            "<button type=\"submit\">Sign in</button></form></main></body></html>\n";
    return page;
}

std::string MailboxesContent(const std::vector<MailboxRow>& rows) {
    std::string html = "<h1>Mailboxes</h1>";
    if (rows.empty())
        return html + "<p>There are no mailboxes.</p>";
    html += "<ul class=\"list mailboxes\">";
    for (const MailboxRow& row : rows) {
        html += "<li><a href=\"/mailbox/" + row.id + "\"><span class=\"name\">" +
                EscapeHtml(row.name) + "</span>";
        html += row.unread > 0
                    ? "<span class=\"badge\">" + std::to_string(row.unread) + " new</span>"
                    : std::string();
        html += "<span class=\"count\">" + Plural(row.total, "message", "messages") +
                "</span></a></li>";
    }
    return html + "</ul>";
}

std::string MessagesContent(const MailboxRow& mailbox, const std::vector<MessageRow>& rows,
                            const std::string& csrf, const std::string& notice) {
    std::string html = "<h1>" + EscapeHtml(mailbox.name) + "</h1><p class=\"summary\">" +
                       Plural(mailbox.total, "message", "messages") + ", " +
                       std::to_string(mailbox.unread) + " new</p>";
    if (!notice.empty())
        html += "<p class=\"notice\" role=\"status\">" + EscapeHtml(notice) + "</p>";
    if (rows.empty())
        return html + "<p>No messages.</p>";
    html += "<ul class=\"list messages\">";
    for (const MessageRow& row : rows) {
        const std::string base = "/mailbox/" + mailbox.id + "/" + row.number;
        html += "<li class=\"message" + std::string(row.read ? "" : " unread") + "\" id=\"m" +
                row.number + "\"><div class=\"meta\">";
        if (row.when >= 0) {
            const std::string iso = DateTimeText(row.when, 'T');
            std::string shown = iso;
            shown[10] = ' ';
            html += "<time datetime=\"" + iso + "\">" + shown + "</time>";
        } else {
            html += "<span>(no date)</span>";
        }
        html += "<span class=\"length\">" + LengthText(row.seconds) + "</span>";
        html += std::string("<span class=\"state\">") + (row.read ? "Heard" : "New") + "</span>";
        html += "</div><div class=\"caller\"><span class=\"number\">" +
                EscapeHtml(row.callerId.empty() ? "Unknown caller" : row.callerId) + "</span>";
        if (!row.callerName.empty())
            html += " <span class=\"name\">" + EscapeHtml(row.callerName) + "</span>";
        html += "</div><audio controls preload=\"none\"><source src=\"" + base +
                ".mp3\" type=\"audio/mpeg\"><source src=\"" + base +
                ".wav\" type=\"audio/wav\"></audio><div class=\"actions\"><a href=\"" + base +
                "/download\" download>Download</a>";
        if (!row.read)
            html += "<form method=\"post\" action=\"" + base + "/read\">" + Hidden(csrf) +
                    "<button type=\"submit\">Mark read</button></form>";
        html += "<form method=\"post\" action=\"" + base +
                "/delete\" class=\"confirm\" data-confirm=\"Delete this message?\">" +
                Hidden(csrf) +
                "<button type=\"submit\" class=\"danger\">Delete</button></form></div></li>";
    }
    return html + "</ul>";
}

std::string LinesContent(const LinesView& view) {
    std::string html = "<h1>Lines</h1>";
    if (view.lines.empty())
        html += "<p>No line is set up.</p>";
    html += "<ul class=\"list lines\">";
    for (const LineRow& line : view.lines)
        html += "<li class=\"line " + EscapeHtml(line.phase) + "\"><span class=\"name\">" +
                EscapeHtml(line.name) + "</span><span class=\"device\">" + EscapeHtml(line.device) +
                "</span><span class=\"state\">" + EscapeHtml(line.state) + "</span></li>";
    html += "</ul><h2>Delivery</h2><p>" + EscapeHtml(view.delivery) + "</p>";
    if (!view.lastFailure.empty())
        html += "<p class=\"problem\">Last failure: " + EscapeHtml(view.lastFailure) + "</p>";
    return html + "<h2>Level control</h2><p>" + EscapeHtml(view.levelControl) + "</p>";
}

std::string LogsContent(const std::vector<LogDay>& days, int dayCount) {
    std::string html = "<h1>Call logs</h1><p class=\"summary\">The last " +
                       std::to_string(dayCount) + " days, newest first.</p>";
    if (days.empty())
        return html + "<p>No calls were logged.</p>";
    for (const LogDay& day : days) {
        const std::string date = DateOnly(day.day);
        html += "<section><h2><time datetime=\"" + date + "\">" + date +
                "</time></h2><ul class=\"list log\">";
        for (auto it = day.entries.rbegin(); it != day.entries.rend(); ++it)
            html += "<li><span class=\"time\">" + EscapeHtml(it->first) + "</span> " +
                    EscapeHtml(it->second) + "</li>";
        html += "</ul></section>";
    }
    return html;
}

std::string NoticePage(const std::string& title, const std::string& text, bool signedIn) {
    return Head(title) + "<body><main><h1>" + EscapeHtml(title) + "</h1><p>" + EscapeHtml(text) +
           "</p><p><a href=\"" + (signedIn ? "/" : "/signin") + "\">" +
           (signedIn ? "Back to the mailboxes" : "Sign in") + "</a></p></main></body></html>\n";
}

const std::string& StyleSheet() {
    static const std::string css =
        R"(:root{color-scheme:light dark;--accent:#1f5fa8;--muted:#666;--line:#ddd;--bad:#b3261e}
*{box-sizing:border-box}
body{margin:0;font:16px/1.45 system-ui,-apple-system,"Segoe UI",Roboto,sans-serif}
header{display:flex;flex-wrap:wrap;align-items:center;gap:.25rem 1rem;padding:.6rem 1rem;background:var(--accent);color:#fff}
header a,header .link{color:#fff}
header nav{display:flex;gap:1rem;flex:1}
header nav a{text-decoration:none;white-space:nowrap}
header nav a[aria-current]{text-decoration:underline;font-weight:600}
.brand{font-weight:700;text-decoration:none}
main{max-width:48rem;margin:0 auto;padding:1rem}
h1{font-size:1.4rem;margin:.2rem 0 .6rem}
h2{font-size:1.1rem;margin:1.2rem 0 .4rem}
.summary,.count,.device,.length,.time{color:var(--muted)}
.list{list-style:none;margin:0;padding:0}
.list>li{border-bottom:1px solid var(--line);padding:.7rem 0}
.mailboxes a{display:flex;gap:.6rem;align-items:center;text-decoration:none;color:inherit}
.mailboxes .name{flex:1;font-weight:600}
.badge{background:var(--accent);color:#fff;border-radius:1rem;padding:0 .55rem;font-size:.85rem}
.message .meta{display:flex;flex-wrap:wrap;gap:.3rem 1rem}
.message .state{margin-left:auto;font-size:.85rem}
.message.unread .state{color:var(--accent);font-weight:700}
.message.unread .number{font-weight:700}
.caller{margin:.2rem 0 .4rem}
.caller .name{color:var(--muted)}
audio{width:100%;margin:.2rem 0}
.actions{display:flex;flex-wrap:wrap;gap:.5rem;align-items:center}
.actions form{margin:0}
button,.actions a{font:inherit;padding:.4rem .9rem;border:1px solid var(--line);border-radius:.4rem;background:transparent;color:inherit;text-decoration:none;cursor:pointer}
button.danger{color:var(--bad);border-color:var(--bad)}
button.link{border:0;padding:0;text-decoration:underline}
.lines .name{font-weight:600;margin-right:.6rem}
.lines .state{display:block}
.problem{color:var(--bad)}
.notice{border-left:4px solid var(--accent);padding:.3rem .6rem}
.signin main{max-width:22rem;margin-top:12vh}
.card{display:flex;flex-direction:column;gap:.4rem}
.card input{font:inherit;padding:.5rem;border:1px solid var(--line);border-radius:.4rem}
.card button{margin-top:.6rem;background:var(--accent);color:#fff;border:0}
)";
    return css;
}

const std::string& PageScript() {
    // Dates and times in the browser's own language and format; the page
    // shows them plainly when scripts are off.
    static const std::string js = R"('use strict';
document.querySelectorAll('time[datetime]').forEach(function (t) {
  var m = /^(\d{4})-(\d{2})-(\d{2})(?:T(\d{2}):(\d{2}):(\d{2}))?$/.exec(t.getAttribute('datetime'));
  if (!m) return;
  var d = new Date(+m[1], m[2] - 1, +m[3], +(m[4] || 0), +(m[5] || 0), +(m[6] || 0));
  t.textContent = m[4] === undefined
    ? d.toLocaleDateString(undefined, {weekday: 'long', year: 'numeric', month: 'long', day: 'numeric'})
    : d.toLocaleString(undefined, {dateStyle: 'medium', timeStyle: 'short'});
  t.classList.add('local');
});
document.querySelectorAll('form.confirm').forEach(function (f) {
  f.addEventListener('submit', function (e) {
    if (!window.confirm(f.getAttribute('data-confirm'))) e.preventDefault();
  });
});
)";
    return js;
}

}  // namespace orvia
