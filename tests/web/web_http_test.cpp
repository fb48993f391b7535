// Pieces of the web view's HTTP side: byte ranges for media players, form
// bodies, escaping in the pages and the mailbox ids.
#include "web/web_http_p.h"

#include <gtest/gtest.h>

#include "web/web_app_p.h"
#include "web/web_pages_p.h"

namespace orvia {
namespace {

TEST(ServeBytesTest, RangesGiveTheAskedBytesOrRefuseTheUnsatisfiable) {
    struct Case {
        const char* range;
        int status;
        const char* body;
        const char* contentRange;
    };
    const Case cases[] = {
        {"", 200, "0123456789", nullptr},
        {"bytes=0-3", 206, "0123", "bytes 0-3/10"},
        {"bytes=4-", 206, "456789", "bytes 4-9/10"},
        {"bytes=8-100", 206, "89", "bytes 8-9/10"},
        {"bytes=-3", 206, "789", "bytes 7-9/10"},
        {"bytes=-30", 206, "0123456789", "bytes 0-9/10"},
        {"bytes=10-", 416, "", "bytes */10"},
        {"bytes=5-2", 416, "", "bytes */10"},
        {"bytes=0-1,4-5", 416, "", "bytes */10"},
        {"bytes=x-1", 416, "", "bytes */10"},
        {"items=0-1", 200, "0123456789", nullptr},
    };
    for (const Case& c : cases) {
        WebRequest request;
        request.range = c.range;
        WebResponse response;
        ServeBytes(request, "audio/mpeg", "0123456789", response);
        EXPECT_EQ(response.status, c.status) << c.range;
        EXPECT_EQ(response.body, c.body) << c.range;
        std::string contentRange;
        for (const auto& [name, value] : response.headers) {
            if (name == "Content-Range")
                contentRange = value;
        }
        EXPECT_EQ(contentRange, c.contentRange ? c.contentRange : "") << c.range;
    }
}

TEST(FormBodyTest, FieldsAreDecodedAndTheFirstOfAPairWins) {
    const auto form = ParseFormBody("user=J%C3%BCrgen+M&password=a%26b%3Dc&user=other&empty=&x");
    EXPECT_EQ(form.at("user"), "J\xC3\xBCrgen M");
    EXPECT_EQ(form.at("password"), "a&b=c");
    EXPECT_EQ(form.at("empty"), "");
    EXPECT_EQ(form.at("x"), "");
}

TEST(WebPagesTest, CallerTextsAreEscaped) {
    MessageRow row;
    row.number = "000001";
    row.callerId = "<script>alert(1)</script>";
    row.callerName = "\"Jane\" & 'Joe'";
    row.when = 1705312807;  // 2024-01-15 10:00:07
    const std::string html = MessagesContent({"4a", "J<b>", 1, 1}, {row}, "token", "");
    EXPECT_EQ(html.find("<script>"), std::string::npos);
    EXPECT_EQ(html.find("<b>"), std::string::npos);
    EXPECT_NE(html.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
    EXPECT_NE(html.find("&quot;Jane&quot; &amp; &#39;Joe&#39;"), std::string::npos);
    EXPECT_NE(html.find("<time datetime=\"2024-01-15T10:00:07\">"), std::string::npos);
    EXPECT_NE(html.find("/mailbox/4a/000001.mp3"), std::string::npos);
}

TEST(MailboxWebIdTest, NamesRoundTripAndNothingElseDecodes) {
    for (const std::string name : {"Sales", "Sales Dept", "M\xC3\xBCller", "a/b"}) {
        const std::string id = MailboxWebId(name);
        EXPECT_EQ(id.find_first_not_of("0123456789abcdef"), std::string::npos) << id;
        EXPECT_EQ(MailboxOfWebId(id), name);
    }
    for (const std::string id : {"", "5", "5G", "53616C6573", "../x", "53616c65%2f", "Sales"})
        EXPECT_FALSE(MailboxOfWebId(id)) << id;
}

}  // namespace
}  // namespace orvia
