// The FTP steps of delivering one message: upload its audio, rebuild and
// upload the mailbox's index page, and delete remote audio files that no
// longer exist locally.
//
// Thread: the delivery thread, with the FileTransfer of its pass; the stop
// check is the transfer's own.
#pragma once

#include <string>

#include "delivery/file_transfer.h"

namespace orvia {

// The FTP keys of a mailbox file (section "mbx"; empty when missing).
struct FtpAccount {
    std::string server;     // "ftpserver": host or host:port
    std::string user;       // "ftpuser"
    std::string password;   // "ftppass"
    std::string directory;  // "ftpdir": absolute, or relative to the login directory
};

FtpAccount ReadFtpAccount(const std::string& mailboxFile);

// Uploads the message whose ".ini" file is messageIni, from the mailbox file
// mailboxFile: connect, change directory, upload "<message>.wav" under its web
// name; then the index page and the remote clean-up. Returns false when one
// of the first three steps failed, so the message waits for a later pass,
// with the step and the reason in *failure (when given); failures of the
// page and the clean-up do not count (they are reported as warnings).
bool UploadMessage(FileTransfer& transfer, const std::string& mailboxFile,
                   const std::string& messageIni, std::string* failure = nullptr);

// Builds the mailbox's index page and uploads it to the current directory
// under its web name.
bool UploadIndexPage(FileTransfer& transfer, const std::string& mailboxName);

// Deletes every "*.wav" file of the current remote directory whose name is
// not the web name of a ".wav" file in the local MailBoxes folder (compared
// exactly, so a name in another case is deleted too). Directories are kept.
// Ends at once when a stop is requested.
void CleanUpRemote(FileTransfer& transfer);

}  // namespace orvia
