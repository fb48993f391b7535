// FTP client of the message upload: connect with user and password, change
// directory, upload, delete and list, over libcurl.
//
// Thread: a FileTransfer and its iterators belong to the thread that created
// them (the delivery thread); debug builds assert it. Every operation blocks
// until it is done, fails, times out or is stopped by the stop check.
//
// Data connections use active mode (the server connects back to us), as the
// upload has always done. The control connection is kept between operations
// and replaced by each Connect. Remote names are checked with
// IsSafeRemoteName, so no operation reaches outside the current directory.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "delivery/ftp_listing.h"
#include "delivery/transfer_control.h"

namespace orvia {

namespace curl {
class TransferReport;
}

class FileTransfer {
public:
    explicit FileTransfer(TransferControl control = {});
    ~FileTransfer();
    FileTransfer(const FileTransfer&) = delete;
    FileTransfer& operator=(const FileTransfer&) = delete;

    // Makes the FTP library ready; true when it is.
    bool Open();
    // Closes the connection; after a failed or stopped operation without
    // waiting for the server's goodbye.
    void Close();

    // Logs in to server ("host" for port 21, or "host:port") with user and
    // password (an empty user logs in anonymously), closing an earlier
    // connection first. The current directory becomes the login directory.
    bool Connect(const std::string& server, const std::string& user, const std::string& password);
    // Changes the current directory: absolute when it begins with "/",
    // otherwise relative to the login directory; empty stays in the login
    // directory. False (and no change) when the server has no such directory.
    bool SetDirectory(const std::string& path);
    // Uploads a local file byte for byte under remoteName in the current directory.
    bool PutFile(const std::string& localPath, const std::string& remoteName);
    // Uploads bytes from memory under remoteName in the current directory.
    bool PutData(std::string_view data, const std::string& remoteName);
    // Deletes remoteName in the current directory.
    bool DeleteFile(const std::string& remoteName);

    bool IsConnected() const { return connected_; }
    // The outcome of the last operation.
    TransferStatus LastStatus() const { return status_; }
    // Why the last operation failed, with the server's reply when it gave
    // one ("login denied: the server answered "530 Login incorrect."").
    const std::string& LastFailure() const { return failure_; }
    // True when the stop check asks to stop.
    bool StopRequested() const { return StopNow(control_.stop); }

    class DirIterator;

private:
    struct Session;

    void DropSession();
    bool Prepare(const std::string& urlPath);
    bool Perform();
    bool Fail(TransferStatus status);
    bool Upload(const std::string& remoteName, void* source, long long size,
                std::size_t (*read)(char*, std::size_t, std::size_t, void*));
    bool List(std::vector<FtpEntry>& entries);
    bool ListWith(bool machineListing, std::string& text, bool& overflow);
    void AssertOwner() const;

    TransferControl control_;
    std::unique_ptr<Session> session_;
    bool connected_ = false;
    bool mlsdUnsupported_ = false;
    TransferStatus status_ = TransferStatus::Ok;
    std::string failure_;
    std::unique_ptr<curl::TransferReport> report_;
    std::thread::id owner_;
};

// The entries of the current remote directory whose names match a wildcard
// pattern ("*.wav"; case-sensitive, as the server stores them). The listing
// is read once when the iterator is made; a failed listing has no entries.
class FileTransfer::DirIterator {
public:
    DirIterator(FileTransfer& transfer, std::string_view pattern);

    // True while there is a current entry.
    bool HasEntry() const { return index_ < entries_.size(); }
    const std::string& Name() const { return entries_[index_].name; }
    // File, Directory, or Unknown when the server's listing does not tell.
    FtpEntryType Type() const { return entries_[index_].type; }
    void Next();
    void Close();

private:
    std::vector<FtpEntry> entries_;
    std::size_t index_ = 0;
};

}  // namespace orvia
