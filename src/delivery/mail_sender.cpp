#include "delivery/mail_sender.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

#include "delivery/curl_easy_p.h"
#include "delivery/delivery_settings.h"
#include "delivery/mail_address.h"
#include "delivery/mail_headers_p.h"
#include "delivery/server_address.h"
#include "platform/files/file_open.h"
#include "platform/files/path_names.h"
#include "platform/text/ascii_text.h"

namespace orvia {
namespace {

constexpr int kSmtpPort = 25;
constexpr int kSmtpsPort = 465;

// The attachment, opened here rather than by libcurl so that only a regular
// file is read and a FIFO in its place cannot hold the delivery thread.
std::FILE* OpenAttachment(const std::string& path, curl_off_t* size) {
    const int fd = OpenRegularFile(path, O_RDONLY);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        if (fd >= 0)
            ::close(fd);
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr)
        ::close(fd);
    *size = static_cast<curl_off_t>(st.st_size);
    return file;
}

std::size_t ReadAttachment(char* buffer, std::size_t size, std::size_t count, void* file) {
    return std::fread(buffer, size, count, static_cast<std::FILE*>(file));
}

int SeekAttachment(void* file, curl_off_t offset, int origin) {
    return std::fseek(static_cast<std::FILE*>(file), static_cast<long>(offset), origin) == 0
               ? CURL_SEEKFUNC_OK
               : CURL_SEEKFUNC_FAIL;
}

void CloseAttachment(void* file) {
    std::fclose(static_cast<std::FILE*>(file));
}

// The sender: "from" when set, else the login when it is an address, else
// orvia at this host.
std::optional<std::string> SenderAddress(const MailSettings& settings) {
    if (!settings.from.empty()) {
        if (!IsPlainMailAddress(settings.from))
            return std::nullopt;
        return settings.from;
    }
    if (IsPlainMailAddress(settings.user))
        return settings.user;
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) == 0) {
        const std::string candidate = std::string("orvia@") + host;
        if (IsPlainMailAddress(candidate))
            return candidate;
    }
    return std::string("orvia@localhost");
}

struct SmtpEndpoint {
    std::string url;
    long useSsl;
};

std::optional<SmtpEndpoint> EndpointOf(const MailSettings& settings) {
    const bool implicitTls = settings.security == SmtpSecurity::Tls;
    const std::optional<ServerAddress> server =
        ParseServerAddress(settings.server, implicitTls ? kSmtpsPort : kSmtpPort);
    if (!server)
        return std::nullopt;
    SmtpEndpoint endpoint;
    endpoint.url = std::string(implicitTls ? "smtps://" : "smtp://") + server->Authority();
    endpoint.useSsl = settings.security == SmtpSecurity::None ? static_cast<long>(CURLUSESSL_NONE)
                                                              : static_cast<long>(CURLUSESSL_ALL);
    return endpoint;
}

// The text part and the attachment part of the mail.
bool BuildParts(curl_mime* mime, const std::string& body, const MailMessage& message) {
    curl_mimepart* text = curl_mime_addpart(mime);
    if (text == nullptr)
        return false;
    const char* encoder = IsSevenBitText(body) ? "7bit" : "quoted-printable";
    if (curl_mime_data(text, body.data(), body.size()) != CURLE_OK ||
        curl_mime_type(text, "text/plain; charset=utf-8") != CURLE_OK ||
        curl_mime_encoder(text, encoder) != CURLE_OK)
        return false;
    if (message.madeAttachment) {
        const MailAttachment& made = *message.madeAttachment;
        curl_mimepart* part = curl_mime_addpart(mime);
        return part != nullptr &&
               curl_mime_data(part, made.data.data(), made.data.size()) == CURLE_OK &&
               curl_mime_filename(part, made.fileName.c_str()) == CURLE_OK &&
               curl_mime_type(part, made.type.c_str()) == CURLE_OK &&
               curl_mime_encoder(part, "base64") == CURLE_OK;
    }
    if (!message.attachment)
        return true;
    curl_mimepart* audio = curl_mime_addpart(mime);
    if (audio == nullptr)
        return false;
    curl_off_t size = 0;
    std::FILE* file = OpenAttachment(*message.attachment, &size);
    if (file == nullptr)
        return false;
    if (curl_mime_data_cb(audio, size, ReadAttachment, SeekAttachment, CloseAttachment, file) !=
        CURLE_OK) {
        std::fclose(file);
        return false;
    }
    // From here the part owns the file and closes it.
    return curl_mime_filename(audio, FileNameOf(*message.attachment).c_str()) == CURLE_OK &&
           curl_mime_type(audio, "audio/wav") == CURLE_OK &&
           curl_mime_encoder(audio, "base64") == CURLE_OK;
}

}  // namespace

namespace {

TransferStatus Failure(TransferStatus status, std::string text, std::string* failure) {
    if (failure != nullptr)
        *failure = std::move(text);
    return status;
}

}  // namespace

TransferStatus SendMailMessage(const MailMessage& message, const TransferControl& control,
                               std::string* failure) {
    const MailSettings settings = ReadMailSettings();
    if (settings.server.empty())
        return Failure(TransferStatus::NotConfigured,
                       "no SMTP server is configured (key \"server\" of section [smtp] in "
                       "settings.ini)",
                       failure);

    const std::optional<std::string> recipient = SmtpRecipient(message.address);
    const std::optional<std::string> sender = SenderAddress(settings);
    const std::optional<std::string> subject = EncodeHeaderText(message.subject);
    const std::optional<SmtpEndpoint> endpoint = EndpointOf(settings);
    if (!recipient)
        return Failure(TransferStatus::InvalidInput,
                       "\"" + message.address + "\" is not a plain mail address", failure);
    if (!sender)
        return Failure(TransferStatus::InvalidInput,
                       "the sender \"" + settings.from +
                           "\" ([smtp] \"from\") is not a plain "
                           "mail address",
                       failure);
    if (!endpoint)
        return Failure(TransferStatus::InvalidInput,
                       "the SMTP server \"" + settings.server +
                           "\" ([smtp] \"server\") is not "
                           "a host or host:port",
                       failure);
    if (!subject || HasAsciiControl(settings.user) || HasAsciiControl(settings.password))
        return Failure(TransferStatus::InvalidInput,
                       "the subject, [smtp] \"user\" or \"password\" holds control characters",
                       failure);
    if (!message.madeAttachment && message.attachment && !IsRegularFile(*message.attachment))
        return Failure(TransferStatus::Failed,
                       "the recording " + *message.attachment + " is not there to attach", failure);
    if (StopNow(control.stop))
        return Failure(TransferStatus::Aborted, "stopped", failure);

    curl::EasyHandle easy = curl::NewEasy();
    if (!easy)
        return Failure(TransferStatus::Failed, "libcurl cannot be set up", failure);
    CURL* handle = easy.get();
    curl::MimeHandle mime(curl_mime_init(handle));
    const std::string body = NormalizeLineEnds(message.body);
    const std::string domain = sender->substr(sender->find('@') + 1);
    curl::StringList recipients;
    curl::StringList headers;
    const std::string mailFrom = "<" + *sender + ">";
    bool ok = mime && BuildParts(mime.get(), body, message) &&
              recipients.Append("<" + *recipient + ">") &&
              headers.Append("Date: " + FormatMailDate(std::time(nullptr))) &&
              headers.Append("From: <" + *sender + ">") &&
              headers.Append("To: <" + *recipient + ">") &&
              headers.Append("Subject: " + *subject) &&
              headers.Append("Message-ID: " + NewMessageId(domain));
    ok = ok && curl::ApplyControl(handle, control, "smtp,smtps");
    ok = ok && curl_easy_setopt(handle, CURLOPT_URL, endpoint->url.c_str()) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle, CURLOPT_USE_SSL, endpoint->useSsl) == CURLE_OK;
    if (!settings.user.empty()) {
        ok = ok && curl_easy_setopt(handle, CURLOPT_USERNAME, settings.user.c_str()) == CURLE_OK;
        ok =
            ok && curl_easy_setopt(handle, CURLOPT_PASSWORD, settings.password.c_str()) == CURLE_OK;
    }
    ok = ok && curl_easy_setopt(handle, CURLOPT_MAIL_FROM, mailFrom.c_str()) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle, CURLOPT_MAIL_RCPT, recipients.Get()) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.Get()) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle, CURLOPT_MIMEPOST, mime.get()) == CURLE_OK;
    curl::TransferReport report;
    ok = ok && report.Attach(handle);
    if (!ok)
        return Failure(TransferStatus::Failed, "the mail could not be put together", failure);
    const TransferStatus status = curl::StatusOf(curl_easy_perform(handle));
    if (status != TransferStatus::Ok) {
        curl::CutConnection(handle);
        Failure(status, report.Describe(status) + " (" + endpoint->url + ")", failure);
    }
    easy.reset();  // before the lists and the parts it points to
    return status;
}

bool SendMail(const std::string& address, const std::string& subject, const std::string& body,
              const std::optional<std::string>& attachment, const TransferControl& control) {
    return SendMailMessage(MailMessage{address, subject, body, attachment, std::nullopt},
                           control) == TransferStatus::Ok;
}

}  // namespace orvia
