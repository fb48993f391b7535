#include "delivery/index_page_p.h"

#include <gtest/gtest.h>

#include "delivery/web_name_p.h"
#include "platform/time/clock.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"
#include "temp_dir.h"

namespace orvia {
namespace {

constexpr const char* kHeader =
    "<html><head><title>Orvia Voice Mail Box</title><META HTTP-EQUIV=\"Content-Type\" "
    "CONTENT=\"text/html; charset=iso-8859-1\"></head><body><h3>Orvia Voice Mail Box</h3><hr>"
    "<center><table border=0 cellspacing=0><tr><td><table border=0 cellspacing=0 width=470>"
    "<tr bgcolor=#bbddbb><td>DATE</td><td>TIME</td><td>CID</td><td>PLAY</td></tr>";

constexpr const char* kLinkedFooter =
    "</table></tr></td><tr><td>&nbsp</td></tr><tr><td>&nbsp</td></tr><tr><td><center>"
    "<a href=\"https://orvia.example/\"><img src=\"https://orvia.example/banner.png\" border=0 "
    "alt=\"Orvia\"></a>"
    "</center></td></tr></table></center><hr>Created by<br>"
    "<a href=\"https://orvia.example/\">Orvia</a><br>Made by the Orvia developers<p>"
    "<a href=\"https://maker.example/audio\">More business audio software</a>"
    "<p></body></html>";

constexpr const char* kBareFooter =
    "</table></tr></td><tr><td>&nbsp</td></tr><tr><td>&nbsp</td></tr><tr><td><center>"
    "</center></td></tr></table></center><hr>Created by<br>"
    "Orvia<br>Made by the Orvia developers<p>"
    "<p></body></html>";

const WebLinks kLinks{"https://orvia.example/", "https://maker.example/audio"};

TEST(WebNameTest, LowersAsciiLettersAndReplacesSpaces) {
    EXPECT_EQ(WebName("Sales Dept ICM000012.wav"), "sales_dept_icm000012.wav");
    EXPECT_EQ(WebName("A-Z_a z.9"), "a-z_a_z.9");
    EXPECT_EQ(WebName("\xc3\x84rger"), "\xc3\x84rger");  // only A to Z change
    EXPECT_EQ(MessageWebName("/data/MailBoxes/Sales Dept ICM000012.ini"),
              "sales_dept_icm000012.wav");
    EXPECT_EQ(IndexPageWebName("Sales Dept"), "sales_dept.html");
}

class IndexPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetStore(SettingsStore::ForDataFolder(dir_.Path()));
        ASSERT_TRUE(Store().CreateFolders());
    }
    void AddMessage(const std::string& name, int day, const char* cid) {
        const std::string ini = Store().MailBoxes() + name + ".ini";
        ASSERT_TRUE(WriteProfileDateTime(ini, "message", "datetime",
                                         MakeLocalSeconds({2009, 12, day, 7, 5, 9})));
        if (cid != nullptr) {
            ASSERT_TRUE(WriteProfileString(ini, "message", "cid", cid));
        }
    }
    test::TempDir dir_;
};

TEST_F(IndexPageTest, ListsEveryMessageOfTheMailboxInNumberOrder) {
    AddMessage("Sales Dept ICM000012", 24, "5551234");
    AddMessage("Sales Dept ICM000003", 1, nullptr);
    AddMessage("Sales ICM000001", 2, "other mailbox");
    AddMessage("Sales Department ICM000001", 3, "other mailbox");
    ASSERT_TRUE(test::WriteFile(Store().MailBoxes() + "Sales Dept.mbx", "[mbx]\r\n"));

    EXPECT_EQ(BuildIndexPage("Sales Dept", kLinks, DateOrder::DayMonthYear),
              std::string(kHeader) +
                  "<tr><td>01/12/09</td><td>07:05:09</td><td></td><td><a "
                  "href=\"sales_dept_icm000003.wav\">Click to Play</a></td></tr>"
                  "<tr><td>24/12/09</td><td>07:05:09</td><td>5551234</td><td><a "
                  "href=\"sales_dept_icm000012.wav\">Click to Play</a></td></tr>" +
                  kLinkedFooter);
}

TEST_F(IndexPageTest, EmptyMailboxGetsTheHeaderRowOnly) {
    EXPECT_EQ(BuildIndexPage("Nobody", kLinks, DateOrder::MonthDayYear),
              std::string(kHeader) + kLinkedFooter);
}

TEST_F(IndexPageTest, UnsetAddressesLeaveTheirLinksOut) {
    EXPECT_EQ(BuildIndexPage("Nobody", WebLinks{}, DateOrder::MonthDayYear),
              std::string(kHeader) + kBareFooter);
}

TEST_F(IndexPageTest, CallerIdAndNamesCannotInjectMarkup) {
    AddMessage("Q&A #1 ICM000000", 5, "<script>alert('x')</script>\"");
    const std::string page = BuildIndexPage("Q&A #1", WebLinks{}, DateOrder::MonthDayYear);
    EXPECT_EQ(page.find("<script>"), std::string::npos);
    EXPECT_NE(page.find("<td>&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;&quot;</td>"),
              std::string::npos)
        << page;
    EXPECT_NE(page.find("<a href=\"q&amp;a_%231_icm000000.wav\">"), std::string::npos) << page;
}

}  // namespace
}  // namespace orvia
