// What waits for delivery right now, counted from the mailbox and message
// files (for the program's status): messages a pass still has to mail or
// upload, and mailboxes whose owners are still to be called.
//
// Any thread; reads the files at each call.
#pragma once

namespace orvia {

struct DeliveryQueue {
    int mail = 0;        // messages of mailboxes that send e-mail with "sentemail" false
    int upload = 0;      // messages of mailboxes that upload with "sentftp" false
    int forwarding = 0;  // mailboxes with "unforwardedmessages" true that forward by telephone
};

DeliveryQueue CountWaitingDeliveries();

}  // namespace orvia
