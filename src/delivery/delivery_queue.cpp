#include "delivery/delivery_queue.h"

#include "engine/mailbox_files.h"
#include "platform/files/folder_listing.h"
#include "platform/files/path_names.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"

namespace orvia {

DeliveryQueue CountWaitingDeliveries() {
    DeliveryQueue queue;
    const std::string& folder = Store().MailBoxes();
    for (const std::string& name : ListFolderFiles(folder, ".mbx")) {
        const std::string mailbox = folder + name;
        const bool mail = ReadProfileBool(mailbox, "mbx", "sendemail", false);
        const bool upload = ReadProfileBool(mailbox, "mbx", "sendftp", false);
        if (ReadProfileBool(mailbox, "mbx", "forwardtel", false) &&
            ReadProfileBool(mailbox, "mbx", "unforwardedmessages", false))
            ++queue.forwarding;
        if (!mail && !upload)
            continue;
        // A missing flag means the kind was off when the message was stored.
        for (const std::string& message : ListMessageFiles(MailboxNameOf(mailbox))) {
            if (mail && !ReadProfileBool(message, "message", "sentemail", true))
                ++queue.mail;
            if (upload && !ReadProfileBool(message, "message", "sentftp", true))
                ++queue.upload;
        }
    }
    return queue;
}

}  // namespace orvia
