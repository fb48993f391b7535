// The status's two forms: text for people, JSON for scripts, from the same
// value, with texts from callers escaped.
#include "app/status/program_status.h"

#include <gtest/gtest.h>

#include "platform/time/clock.h"

namespace orvia {
namespace {

ProgramStatus Sample() {
    ProgramStatus status;
    status.pid = 4711;
    status.dataFolder = "/srv/phone/";
    status.now = MakeLocalSeconds({2024, 1, 15, 10, 0, 30});
    LineStatus connected;
    connected.index = 0;
    connected.name = "Desk";
    connected.device = 0;
    connected.deviceName = "Front \"desk\"";
    connected.open = true;
    connected.phase = LinePhase::Connected;
    connected.since = MakeLocalSeconds({2024, 1, 15, 10, 0, 7});
    connected.callerNumber = "5551234";
    connected.callerName = "O'Brien \\ \x01";
    connected.deviceStatus.address = "127.0.0.1:5060 (udp)";
    connected.deviceStatus.registration = {RegistrationState::Failed, "sip:pbx.example.com",
                                           "403 Forbidden",
                                           MakeLocalSeconds({2024, 1, 15, 10, 1, 0})};
    LineStatus closed;
    closed.index = 5;
    closed.name = "Spare";
    closed.device = 3;
    closed.closedReason = "there is no device 3";
    status.lines = {connected, closed};
    status.delivery = {2, 1, 0};
    status.lastDeliveryFailure = "Mailbox \"Sales\": refused";
    status.lastDeliveryFailureTime = MakeLocalSeconds({2024, 1, 15, 9, 59, 0});
    status.levelControlWaiting = 1;
    return status;
}

TEST(ProgramStatusTest, TextSaysEachLineAndTheQueuesWithoutControlCharacters) {
    EXPECT_EQ(FormatStatusText(Sample()),
              "Orvia is running (pid 4711) with the data in /srv/phone/\n"
              "Lines:\n"
              "  Desk [line0], device 0 \"Front \"desk\"\" at 127.0.0.1:5060 (udp): connected "
              "with 5551234 O'Brien \\   since 2024-01-15 10:00:07; registration with "
              "sip:pbx.example.com failed (403 Forbidden), next try at 2024-01-15 10:01:00\n"
              "  Spare [line5], device 3: closed (there is no device 3)\n"
              "Delivery: 2 messages to mail, 1 message to upload, 0 mailboxes to call; last "
              "failure at 2024-01-15 09:59:00: Mailbox \"Sales\": refused\n"
              "Level control: 1 recording waiting\n");
}

TEST(ProgramStatusTest, JsonEscapesTextsAndWritesAbsentTimesAsNull) {
    EXPECT_EQ(
        FormatStatusJson(Sample()),
        "{\"pid\":4711,\"dataFolder\":\"/srv/phone/\",\"time\":\"2024-01-15T10:00:30\","
        "\"lines\":[{\"index\":0,\"name\":\"Desk\",\"device\":0,\"deviceName\":\"Front "
        "\\\"desk\\\"\",\"address\":\"127.0.0.1:5060 (udp)\",\"state\":\"connected\","
        "\"since\":\"2024-01-15T10:00:07\",\"callerNumber\":\"5551234\",\"callerName\":"
        "\"O'Brien \\\\ \\u0001\",\"closedReason\":\"\",\"registration\":{\"state\":\"failed\","
        "\"registrar\":\"sip:pbx.example.com\",\"detail\":\"403 Forbidden\",\"nextTry\":"
        "\"2024-01-15T10:01:00\"}},{\"index\":5,\"name\":\"Spare\",\"device\":3,\"deviceName\":"
        "\"\",\"address\":\"\",\"state\":\"closed\",\"since\":null,\"callerNumber\":\"\","
        "\"callerName\":\"\",\"closedReason\":\"there is no device 3\",\"registration\":"
        "{\"state\":\"none\",\"registrar\":\"\",\"detail\":\"\",\"nextTry\":null}}],"
        "\"delivery\":{\"mail\":2,\"upload\":1,\"forwarding\":0,\"lastFailure\":{\"text\":"
        "\"Mailbox \\\"Sales\\\": refused\",\"time\":\"2024-01-15T09:59:00\"}},"
        "\"levelControl\":{\"waiting\":1}}\n");
}

}  // namespace
}  // namespace orvia
