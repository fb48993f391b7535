#include "delivery/ftp_upload_p.h"

#include <set>

#include "delivery/delivery_settings.h"
#include "delivery/index_page_p.h"
#include "delivery/web_name_p.h"
#include "engine/mailbox_files.h"
#include "platform/diagnostics/diagnostics.h"
#include "platform/files/folder_listing.h"
#include "store/profile.h"
#include "store/settings_store.h"

namespace orvia {

FtpAccount ReadFtpAccount(const std::string& mailboxFile) {
    FtpAccount account;
    account.server = ReadProfileString(mailboxFile, "mbx", "ftpserver", "");
    account.user = ReadProfileString(mailboxFile, "mbx", "ftpuser", "");
    account.password = ReadProfileString(mailboxFile, "mbx", "ftppass", "");
    RegisterSecret(account.password);
    account.directory = ReadProfileString(mailboxFile, "mbx", "ftpdir", "");
    return account;
}

bool UploadMessage(FileTransfer& transfer, const std::string& mailboxFile,
                   const std::string& messageIni, std::string* failure) {
    const FtpAccount account = ReadFtpAccount(mailboxFile);
    auto failed = [&](const std::string& step) {
        if (failure != nullptr)
            *failure = step + ": " + transfer.LastFailure();
        return false;
    };
    if (account.server.empty()) {
        if (failure != nullptr)
            *failure = "logging in: no FTP server is set (\"ftpserver\" of the mailbox)";
        return false;
    }
    if (!transfer.Connect(account.server, account.user, account.password))
        return failed("logging in to " + account.server + " as \"" + account.user + "\"");
    if (!transfer.SetDirectory(account.directory))
        return failed("changing to the directory \"" + account.directory + "\" on " +
                      account.server);
    const std::string remote = MessageWebName(messageIni);
    if (!transfer.PutFile(MessageAudioPath(messageIni), remote))
        return failed("uploading " + remote + " to " + account.server);
    const std::string mailbox = MailboxNameOf(mailboxFile);
    if (!UploadIndexPage(transfer, mailbox))
        ReportWarning("delivery", "Mailbox \"" + mailbox + "\": the index page " +
                                      IndexPageWebName(mailbox) + " was not uploaded to " +
                                      account.server + ": " + transfer.LastFailure());
    CleanUpRemote(transfer);
    return true;
}

bool UploadIndexPage(FileTransfer& transfer, const std::string& mailboxName) {
    const std::string page = BuildIndexPage(mailboxName, ReadWebLinks());
    return transfer.PutData(page, IndexPageWebName(mailboxName));
}

void CleanUpRemote(FileTransfer& transfer) {
    FileTransfer::DirIterator remote(transfer, "*.wav");
    if (!remote.HasEntry())
        return;
    std::set<std::string> kept;
    for (const std::string& name : ListFolderFiles(Store().MailBoxes(), ".wav"))
        kept.insert(WebName(name));
    for (; remote.HasEntry(); remote.Next()) {
        if (transfer.StopRequested())
            break;
        if (remote.Type() == FtpEntryType::Directory || kept.count(remote.Name()) != 0)
            continue;
        transfer.DeleteFile(remote.Name());
    }
    remote.Close();
}

}  // namespace orvia
