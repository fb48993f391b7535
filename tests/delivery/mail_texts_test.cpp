#include "delivery/mail_texts.h"

#include <gtest/gtest.h>

#include "platform/time/clock.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "temp_dir.h"

namespace orvia {
namespace {

const MessageDetails kDetails{"Sales Dept", "12/24/09", "07:05:09", "5551234"};
const WebLinks kLinks{"https://orvia.example/", "https://maker.example/audio"};

TEST(MailTextsTest, AudioBody) {
    EXPECT_EQ(AudioMailBody(kDetails, kLinks),
              "Attached is the recording of a message received by Orvia.\r\n"
              "\r\n"
              "Details:\r\n"
              "  MailBox: Sales Dept\r\n"
              "  Date: 12/24/09\r\n"
              "  Time: 07:05:09\r\n"
              "  Caller ID: 5551234\r\n"
              "\r\n"
              "-------------------------------\r\n"
              "Orvia\r\n"
              "https://orvia.example/ [Orvia Page]\r\n"
              "https://maker.example/audio [Software Page]\r\n");
}

TEST(MailTextsTest, NotificationBodyHasTheBareProductAddress) {
    EXPECT_EQ(NotificationMailBody(kDetails, kLinks),
              "A message was received by Orvia.\r\n"
              "\r\n"
              "Details:\r\n"
              "  MailBox: Sales Dept\r\n"
              "  Date: 12/24/09\r\n"
              "  Time: 07:05:09\r\n"
              "  Caller ID: 5551234\r\n"
              "\r\n"
              "-------------------------------\r\n"
              "Orvia\r\n"
              "https://orvia.example/\r\n"
              "https://maker.example/audio [Software Page]\r\n");
}

TEST(MailTextsTest, ManualBodyKeepsEmptyLinesAroundAnEmptyNote) {
    const MessageDetails noCaller{"Support", "24/12/09", "23:59:59", ""};
    EXPECT_EQ(ManualMailBody("", noCaller, kLinks),
              "Attached is the recording of a message received by Orvia.\r\n"
              "\r\n"
              "\r\n"
              "\r\n"
              "Details:\r\n"
              "  MailBox: Support\r\n"
              "  Date: 24/12/09\r\n"
              "  Time: 23:59:59\r\n"
              "  Caller ID: \r\n"
              "\r\n"
              "-------------------------------\r\n"
              "Orvia\r\n"
              "https://orvia.example/ [Orvia Page]\r\n"
              "https://maker.example/audio [Software Page]\r\n");
}

TEST(MailTextsTest, UnsetAddressesLeaveEmptyLinesSoLineCountsStay) {
    const WebLinks none;
    const auto lines = [](const std::string& body) {
        std::size_t count = 0;
        for (std::size_t at = body.find("\r\n"); at != std::string::npos;
             at = body.find("\r\n", at + 2))
            ++count;
        return count;
    };
    const std::string audio = AudioMailBody(kDetails, none);
    const std::string notification = NotificationMailBody(kDetails, none);
    EXPECT_EQ(lines(audio), 12u);
    EXPECT_EQ(lines(notification), 12u);
    EXPECT_EQ(lines(ManualMailBody("note", kDetails, none)), 14u);
    EXPECT_TRUE(audio.ends_with("Orvia\r\n\r\n\r\n")) << audio;
    EXPECT_TRUE(notification.ends_with("Orvia\r\n\r\n\r\n")) << notification;
    EXPECT_EQ(audio.find("[Orvia Page]"), std::string::npos);
}

TEST(MailTextsTest, MessageDetailsComeFromTheMessageFile) {
    test::TempDir dir;
    const std::string ini = dir.Path() + "Sales Dept ICM000004.ini";
    ASSERT_TRUE(WriteProfileDateTime(ini, "message", "datetime",
                                     MakeLocalSeconds({2009, 12, 24, 7, 5, 9})));
    ASSERT_TRUE(WriteProfileString(ini, "message", "cid", "5551234"));
    const MessageDetails details = ReadMessageDetails("Sales Dept", ini, DateOrder::DayMonthYear);
    EXPECT_EQ(details.mailbox, "Sales Dept");
    EXPECT_EQ(details.date, "24/12/09");
    EXPECT_EQ(details.time, "07:05:09");
    EXPECT_EQ(details.callerId, "5551234");
}

TEST(MailTextsTest, MissingDateMeansNowAndMissingCallerIdIsEmpty) {
    test::TempDir dir;
    const std::string ini = dir.Path() + "Box ICM000000.ini";
    ASSERT_TRUE(WriteProfileString(ini, "message", "read", "false"));
    ScopedFixedClock clock(MakeLocalSeconds({2021, 3, 4, 5, 6, 7}));
    const MessageDetails details = ReadMessageDetails("Box", ini, DateOrder::YearMonthDay);
    EXPECT_EQ(details.date, "21/03/04");
    EXPECT_EQ(details.time, "05:06:07");
    EXPECT_EQ(details.callerId, "");
}

}  // namespace
}  // namespace orvia
