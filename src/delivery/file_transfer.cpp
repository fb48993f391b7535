#include "delivery/file_transfer.h"

#include <fcntl.h>
#include <fnmatch.h>
#include <unistd.h>

#include <cassert>
#include <cstdio>
#include <cstring>
#include <optional>

#include "delivery/curl_easy_p.h"
#include "delivery/server_address.h"
#include "platform/files/file_open.h"
#include "platform/text/ascii_text.h"

namespace orvia {
namespace {

constexpr int kFtpPort = 21;
// Largest directory listing read; a bigger one fails rather than filling memory.
constexpr std::size_t kMaxListing = 4 * 1024 * 1024;

// The URL path of a directory, ending in "/": "/" for the login directory,
// "/a/b/" for a relative path, "/%2Fa/b/" for an absolute one (each segment
// percent-encoded, so libcurl changes into it one segment at a time).
std::optional<std::string> DirectoryUrlPath(std::string_view path) {
    if (HasAsciiControl(path))
        return std::nullopt;
    std::string url = "/";
    if (!path.empty() && path.front() == '/')
        url += "%2F";
    while (!path.empty()) {
        const std::size_t slash = path.find('/');
        const std::string_view segment = path.substr(0, slash);
        if (!segment.empty()) {
            const std::string escaped = curl::EscapeSegment(segment);
            if (escaped.empty())
                return std::nullopt;
            url += escaped + "/";
        }
        if (slash == std::string_view::npos)
            break;
        path.remove_prefix(slash + 1);
    }
    return url;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::size_t ReadFromFile(char* buffer, std::size_t size, std::size_t count, void* source) {
    return std::fread(buffer, size, count, static_cast<std::FILE*>(source));
}

struct MemorySource {
    std::string_view rest;
};

std::size_t ReadFromMemory(char* buffer, std::size_t size, std::size_t count, void* source) {
    auto* memory = static_cast<MemorySource*>(source);
    const std::size_t n = std::min(size * count, memory->rest.size());
    std::memcpy(buffer, memory->rest.data(), n);
    memory->rest.remove_prefix(n);
    return n;
}

struct ListingSink {
    std::string* text;
    bool* overflow;
};

std::size_t WriteListing(char* data, std::size_t size, std::size_t count, void* sink) {
    auto* listing = static_cast<ListingSink*>(sink);
    const std::size_t n = size * count;
    if (listing->text->size() + n > kMaxListing) {
        *listing->overflow = true;
        return 0;
    }
    listing->text->append(data, n);
    return n;
}

}  // namespace

struct FileTransfer::Session {
    curl::EasyHandle handle;
    ServerAddress server;
    std::string user;
    std::string password;
    std::string directory = "/";  // URL path of the current directory
};

FileTransfer::FileTransfer(TransferControl control)
    : control_(std::move(control)),
      report_(std::make_unique<curl::TransferReport>()),
      owner_(std::this_thread::get_id()) {}

FileTransfer::~FileTransfer() {
    Close();
}

void FileTransfer::AssertOwner() const {
    assert(std::this_thread::get_id() == owner_);
}

bool FileTransfer::Open() {
    AssertOwner();
    return curl::GlobalInit();
}

void FileTransfer::Close() {
    AssertOwner();
    DropSession();
}

void FileTransfer::DropSession() {
    if (session_ && status_ != TransferStatus::Ok)
        curl::CutConnection(session_->handle.get());
    session_.reset();
    connected_ = false;
}

bool FileTransfer::Fail(TransferStatus status) {
    status_ = status;
    failure_ = DescribeTransferStatus(status);
    return false;
}

bool FileTransfer::Prepare(const std::string& urlPath) {
    CURL* handle = session_->handle.get();
    curl_easy_reset(handle);
    const std::string url = "ftp://" + session_->server.Authority() + urlPath;
    bool ok = curl_easy_setopt(handle, CURLOPT_URL, url.c_str()) == CURLE_OK;
    ok = ok && curl::ApplyControl(handle, control_, "ftp");
    if (!session_->user.empty()) {
        ok = ok && curl_easy_setopt(handle, CURLOPT_USERNAME, session_->user.c_str()) == CURLE_OK;
        ok = ok &&
             curl_easy_setopt(handle, CURLOPT_PASSWORD, session_->password.c_str()) == CURLE_OK;
    }
    // Active mode: the server connects back to the address of our side of
    // the control connection.
    ok = ok && curl_easy_setopt(handle, CURLOPT_FTPPORT, "-") == CURLE_OK;
    ok = ok && curl_easy_setopt(handle, CURLOPT_ACCEPTTIMEOUT_MS,
                                static_cast<long>(control_.connectTimeoutMs)) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle, CURLOPT_FTP_FILEMETHOD,
                                static_cast<long>(CURLFTPMETHOD_MULTICWD)) == CURLE_OK;
    ok = ok && report_->Attach(handle);
    return ok;
}

bool FileTransfer::Perform() {
    if (StopRequested())
        return Fail(TransferStatus::Aborted);
    status_ = curl::StatusOf(curl_easy_perform(session_->handle.get()));
    if (status_ == TransferStatus::Ok)
        return true;
    failure_ = report_->Describe(status_);
    return false;
}

bool FileTransfer::Connect(const std::string& server, const std::string& user,
                           const std::string& password) {
    AssertOwner();
    Close();
    if (HasAsciiControl(user) || HasAsciiControl(password))
        return Fail(TransferStatus::InvalidInput);
    const std::optional<ServerAddress> address = ParseServerAddress(server, kFtpPort);
    if (!address)
        return Fail(TransferStatus::InvalidInput);
    if (!Open())
        return Fail(TransferStatus::Failed);
    auto session = std::make_unique<Session>();
    session->handle = curl::NewEasy();
    if (!session->handle)
        return Fail(TransferStatus::Failed);
    session->server = *address;
    session->user = user;
    session->password = password;
    session_ = std::move(session);
    mlsdUnsupported_ = false;
    // Logging in without a transfer checks the server, user and password now.
    if (!Prepare("/") || curl_easy_setopt(session_->handle.get(), CURLOPT_NOBODY, 1L) != CURLE_OK) {
        Fail(TransferStatus::Failed);
        DropSession();
        return false;
    }
    if (!Perform()) {
        DropSession();
        return false;
    }
    connected_ = true;
    return true;
}

bool FileTransfer::SetDirectory(const std::string& path) {
    AssertOwner();
    if (!connected_)
        return Fail(TransferStatus::Failed);
    const std::optional<std::string> urlPath = DirectoryUrlPath(path);
    if (!urlPath)
        return Fail(TransferStatus::InvalidInput);
    if (!Prepare(*urlPath) ||
        curl_easy_setopt(session_->handle.get(), CURLOPT_NOBODY, 1L) != CURLE_OK)
        return Fail(TransferStatus::Failed);
    if (!Perform())
        return false;
    session_->directory = *urlPath;
    return true;
}

bool FileTransfer::Upload(const std::string& remoteName, void* source, long long size,
                          std::size_t (*read)(char*, std::size_t, std::size_t, void*)) {
    if (!connected_)
        return Fail(TransferStatus::Failed);
    if (!IsSafeRemoteName(remoteName))
        return Fail(TransferStatus::InvalidInput);
    CURL* handle = session_->handle.get();
    if (!Prepare(session_->directory + curl::EscapeSegment(remoteName)) ||
        curl_easy_setopt(handle, CURLOPT_UPLOAD, 1L) != CURLE_OK ||
        curl_easy_setopt(handle, CURLOPT_READFUNCTION, read) != CURLE_OK ||
        curl_easy_setopt(handle, CURLOPT_READDATA, source) != CURLE_OK ||
        curl_easy_setopt(handle, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(size)) !=
            CURLE_OK)
        return Fail(TransferStatus::Failed);
    return Perform();
}

bool FileTransfer::PutFile(const std::string& localPath, const std::string& remoteName) {
    AssertOwner();
    // A regular file only: a FIFO in its place would hold the delivery thread.
    const int fd = OpenRegularFile(localPath, O_RDONLY);
    std::unique_ptr<std::FILE, FileCloser> file(fd < 0 ? nullptr : ::fdopen(fd, "rb"));
    if (!file) {
        if (fd >= 0)
            ::close(fd);
        return Fail(TransferStatus::Failed);
    }
    if (std::fseek(file.get(), 0, SEEK_END) != 0)
        return Fail(TransferStatus::Failed);
    const long size = std::ftell(file.get());
    if (size < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0)
        return Fail(TransferStatus::Failed);
    return Upload(remoteName, file.get(), size, &ReadFromFile);
}

bool FileTransfer::PutData(std::string_view data, const std::string& remoteName) {
    AssertOwner();
    MemorySource source{data};
    return Upload(remoteName, &source, static_cast<long long>(data.size()), &ReadFromMemory);
}

bool FileTransfer::DeleteFile(const std::string& remoteName) {
    AssertOwner();
    if (!connected_)
        return Fail(TransferStatus::Failed);
    if (!IsSafeRemoteName(remoteName))
        return Fail(TransferStatus::InvalidInput);
    // The command runs after the change into the current directory.
    curl::StringList commands;
    CURL* handle = session_->handle.get();
    if (!commands.Append("DELE " + remoteName) || !Prepare(session_->directory) ||
        curl_easy_setopt(handle, CURLOPT_NOBODY, 1L) != CURLE_OK ||
        curl_easy_setopt(handle, CURLOPT_POSTQUOTE, commands.Get()) != CURLE_OK)
        return Fail(TransferStatus::Failed);
    const bool ok = Perform();
    curl_easy_setopt(handle, CURLOPT_POSTQUOTE, nullptr);
    return ok;
}

bool FileTransfer::ListWith(bool machineListing, std::string& text, bool& overflow) {
    text.clear();
    overflow = false;
    ListingSink sink{&text, &overflow};
    CURL* handle = session_->handle.get();
    if (!Prepare(session_->directory) ||
        curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &WriteListing) != CURLE_OK ||
        curl_easy_setopt(handle, CURLOPT_WRITEDATA, &sink) != CURLE_OK)
        return Fail(TransferStatus::Failed);
    const bool set = machineListing
                         ? curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, "MLSD") == CURLE_OK
                         : curl_easy_setopt(handle, CURLOPT_DIRLISTONLY, 1L) == CURLE_OK;
    if (!set)
        return Fail(TransferStatus::Failed);
    const bool ok = Perform();
    if (overflow)
        return Fail(TransferStatus::Failed);
    return ok;
}

bool FileTransfer::List(std::vector<FtpEntry>& entries) {
    AssertOwner();
    entries.clear();
    if (!connected_)
        return Fail(TransferStatus::Failed);
    std::string text;
    bool overflow = false;
    // MLSD tells files from directories and gives exact names; servers that
    // do not know it get NLST (names only) from then on.
    if (!mlsdUnsupported_) {
        if (ListWith(true, text, overflow)) {
            entries = ParseMlsdListing(text);
            return true;
        }
        if (overflow || status_ == TransferStatus::Aborted || status_ == TransferStatus::TimedOut ||
            status_ == TransferStatus::Unreachable || status_ == TransferStatus::LoginDenied)
            return false;
        mlsdUnsupported_ = true;
    }
    if (!ListWith(false, text, overflow))
        return false;
    entries = ParseNameListing(text);
    return true;
}

FileTransfer::DirIterator::DirIterator(FileTransfer& transfer, std::string_view pattern) {
    std::vector<FtpEntry> all;
    if (!transfer.List(all))
        return;
    const std::string glob(pattern);
    for (FtpEntry& entry : all)
        if (::fnmatch(glob.c_str(), entry.name.c_str(), 0) == 0)
            entries_.push_back(std::move(entry));
}

void FileTransfer::DirIterator::Next() {
    if (HasEntry())
        ++index_;
}

void FileTransfer::DirIterator::Close() {
    entries_.clear();
    index_ = 0;
}

}  // namespace orvia
