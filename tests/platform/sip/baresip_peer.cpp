#include "baresip_peer.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <fstream>
#include <thread>

#include "platform/sip/tone_generator_p.h"
#include "temp_dir.h"

namespace orvia::sip::test {
namespace {

// The value of a string field in a flat JSON object ("type":"CALL_CLOSED").
std::string JsonField(const std::string& json, const std::string& name) {
    const std::string key = "\"" + name + "\":";
    size_t pos = json.find(key);
    if (pos == std::string::npos)
        return {};
    pos += key.size();
    if (pos < json.size() && json[pos] == '"') {
        std::string value;
        for (size_t i = pos + 1; i < json.size() && json[i] != '"'; ++i) {
            if (json[i] == '\\' && i + 1 < json.size())
                ++i;
            value += json[i];
        }
        return value;
    }
    const size_t end = json.find_first_of(",}", pos);
    return json.substr(pos, end - pos);
}

}  // namespace

BaresipPeer::~BaresipPeer() {
    if (socket_ >= 0)
        ::close(socket_);
    process_.Stop();
}

bool BaresipPeer::Start(const std::string& folder, const std::string& wavPath,
                        const BaresipOptions& options) {
    // TLS takes the port after the SIP port: both must be free.
    sipPort_ = FreePort();
    for (int attempt = 0;
         attempt < 20 && !options.certificate.empty() && !LoopbackPortFree(sipPort_ + 1, true);
         ++attempt)
        sipPort_ = FreePort();
    ctrlPort_ = FreePort();
    std::string config =
        "poll_method epoll\n"
        "net_interface 127.0.0.1\n"
        "sip_listen 127.0.0.1:" +
        std::to_string(sipPort_) +
        "\n"
        "audio_source aufile," +
        wavPath +
        "\n"
        "module_path /usr/lib/baresip/modules\n"
        "module g711.so\n"
        "module aufile.so\n"
        "module_app account.so\n"
        "module_app menu.so\n"
        "module_app ctrl_tcp.so\n"
        "ctrl_tcp_listen 127.0.0.1:" +
        std::to_string(ctrlPort_) + "\n";
    if (!options.certificate.empty())
        config += "sip_certificate " + options.certificate + "\n";
    if (!options.mediaEncryption.empty())
        config += "module srtp.so\n";
    std::string account =
        options.account.empty() ? "<sip:bob@127.0.0.1>;regint=0;answermode=auto" : options.account;
    if (!options.mediaEncryption.empty())
        account += ";mediaenc=" + options.mediaEncryption;
    if (!orvia::test::WriteFile(folder + "config", config) ||
        !orvia::test::WriteFile(folder + "accounts", account + "\n"))
        return false;
    if (!process_.Start({"baresip", "-4", "-f", folder}, folder, "baresip.log"))
        return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (Connect())
            return true;
        if (process_.Wait(0))
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

std::string BaresipPeer::Address() const {
    return "sip:bob@127.0.0.1:" + std::to_string(sipPort_);
}

std::string BaresipPeer::TlsAddress() const {
    return "sip:bob@127.0.0.1:" + std::to_string(sipPort_ + 1) + ";transport=tls";
}

bool BaresipPeer::Connect() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(ctrlPort_));
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
        ::close(fd);
        return false;
    }
    socket_ = fd;
    return true;
}

std::optional<std::string> BaresipPeer::ReadMessage(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        // A netstring: "<length>:<payload>,".
        const size_t colon = pending_.find(':');
        if (colon != std::string::npos && colon < 10) {
            const size_t length = std::stoul(pending_.substr(0, colon));
            if (pending_.size() >= colon + 1 + length + 1) {
                std::string message = pending_.substr(colon + 1, length);
                pending_.erase(0, colon + 1 + length + 1);
                return message;
            }
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0 || socket_ < 0)
            return std::nullopt;
        pollfd pfd{socket_, POLLIN, 0};
        if (::poll(&pfd, 1, static_cast<int>(left)) <= 0)
            continue;
        char buffer[4096];
        const ssize_t n = ::recv(socket_, buffer, sizeof(buffer), 0);
        if (n <= 0)
            return std::nullopt;
        pending_.append(buffer, static_cast<size_t>(n));
    }
}

void BaresipPeer::Note(const std::string& message) {
    if (JsonField(message, "event") == "true")
        events_.push_back(JsonField(message, "type") + ":" + JsonField(message, "param"));
}

bool BaresipPeer::Command(const std::string& command, const std::string& params) {
    const std::string token = "t" + std::to_string(++token_);
    const std::string json = "{\"command\":\"" + command + "\",\"params\":\"" + params +
                             "\",\"token\":\"" + token + "\"}";
    const std::string frame = std::to_string(json.size()) + ":" + json + ",";
    if (::send(socket_, frame.data(), frame.size(), MSG_NOSIGNAL) !=
        static_cast<ssize_t>(frame.size()))
        return false;
    for (;;) {
        const auto message = ReadMessage(5000);
        if (!message)
            return false;
        if (JsonField(*message, "response") == "true" && JsonField(*message, "token") == token)
            return JsonField(*message, "ok") == "true";
        Note(*message);
    }
}

std::optional<std::string> BaresipPeer::WaitEvent(const std::string& type, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        while (eventsSeen_ < events_.size()) {
            const std::string& e = events_[eventsSeen_++];
            if (e.compare(0, type.size() + 1, type + ":") == 0)
                return e.substr(type.size() + 1);
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0)
            return std::nullopt;
        const auto message = ReadMessage(static_cast<int>(left));
        if (message)
            Note(*message);
    }
}

bool WriteWav(const std::string& path, const std::vector<int16_t>& samples) {
    auto u32 = [](uint32_t v) {
        return std::string{static_cast<char>(v), static_cast<char>(v >> 8),
                           static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
    };
    auto u16 = [](uint16_t v) {
        return std::string{static_cast<char>(v), static_cast<char>(v >> 8)};
    };
    const uint32_t bytes = static_cast<uint32_t>(samples.size() * 2);
    std::string data = "RIFF" + u32(36 + bytes) + "WAVEfmt " + u32(16) + u16(1) + u16(1) +
                       u32(8000) + u32(16000) + u16(2) + u16(16) + "data" + u32(bytes);
    data.append(reinterpret_cast<const char*>(samples.data()), bytes);
    return orvia::test::WriteFile(path, data);
}

void AppendSine(std::vector<int16_t>* out, double hz, int ms, double amplitude) {
    const int n = ms * 8;
    for (int i = 0; i < n; ++i)
        out->push_back(
            static_cast<int16_t>(amplitude * std::sin(2 * 3.141592653589793 * hz * i / 8000)));
}

void AppendDtmf(std::vector<int16_t>* out, char key, int ms) {
    DtmfToneGenerator tone;
    tone.Start(key);
    std::vector<int16_t> samples(static_cast<size_t>(ms) * 8);
    tone.Generate(samples.data(), samples.size());
    out->insert(out->end(), samples.begin(), samples.end());
}

void AppendSilence(std::vector<int16_t>* out, int ms) {
    out->insert(out->end(), static_cast<size_t>(ms) * 8, 0);
}

}  // namespace orvia::sip::test
