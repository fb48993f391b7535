// The HTML index page of a mailbox: one table row with date, time, caller id
// and a "Click to Play" link per message file, written as one line of text.
#pragma once

#include <string>

#include "delivery/delivery_settings.h"
#include "platform/text/html_text.h"
#include "store/date_text.h"

namespace orvia {

// The page of every message file of the mailbox (uploaded or not), in message
// number order. Caller ids are untrusted and are escaped for HTML.
std::string BuildIndexPage(const std::string& mailboxName, const WebLinks& links,
                           DateOrder order = UserDateOrder());

}  // namespace orvia
