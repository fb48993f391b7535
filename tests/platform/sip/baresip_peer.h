// The baresip user agent as a test peer: run headless with a private config
// folder (aufile as the audio source, no player, G.711 only), controlled and
// watched through its ctrl_tcp module (netstring-framed JSON). It may take
// TLS too (with a certificate), encrypt its media (its srtp module) and
// register an account of its own.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "peer_process.h"

namespace orvia::sip::test {

struct BaresipOptions {
    // PEM file with certificate and key: baresip then takes TLS as well, on
    // the port after its SIP port.
    std::string certificate;
    // The account's media encryption ("srtp", "srtp-mand"); loads the srtp
    // module.
    std::string mediaEncryption;
    // The accounts file's line; default: bob on 127.0.0.1, not registering,
    // answering at once.
    std::string account;
};

class BaresipPeer {
public:
    BaresipPeer() = default;
    ~BaresipPeer();
    BaresipPeer(const BaresipPeer&) = delete;
    BaresipPeer& operator=(const BaresipPeer&) = delete;

    // Starts baresip in folder (which gets its config) with the given WAV as
    // its microphone; false when it cannot be started or reached.
    bool Start(const std::string& folder, const std::string& wavPath,
               const BaresipOptions& options = {});
    // "sip:bob@127.0.0.1:<port>": where baresip takes calls (answered at once).
    std::string Address() const;
    // The same over TLS (with a certificate).
    std::string TlsAddress() const;

    // Runs a command ("dial", "hangup", "sndcode"); true when baresip says ok.
    bool Command(const std::string& command, const std::string& params = "");
    // Waits for an event of that type (e.g. "CALL_ESTABLISHED"), keeping the
    // events that come before it; its parameter.
    std::optional<std::string> WaitEvent(const std::string& type, int timeoutMs);
    // Every event type seen so far, with its parameter ("CALL_DTMF_START:5").
    const std::vector<std::string>& Events() const { return events_; }
    std::string Log() const { return process_.Log(); }

private:
    bool Connect();
    // Reads one netstring message; empty on timeout or error.
    std::optional<std::string> ReadMessage(int timeoutMs);
    void Note(const std::string& message);

    PeerProcess process_;
    int sipPort_ = 0;
    int ctrlPort_ = 0;
    int socket_ = -1;
    std::string pending_;
    std::vector<std::string> events_;
    size_t eventsSeen_ = 0;
    int token_ = 0;
};

// Writes a 16-bit mono 8000 Hz WAV file.
bool WriteWav(const std::string& path, const std::vector<int16_t>& samples);
// Tones for the peers' audio: a sine, a DTMF key, silence.
void AppendSine(std::vector<int16_t>* out, double hz, int ms, double amplitude = 8000);
void AppendDtmf(std::vector<int16_t>* out, char key, int ms);
void AppendSilence(std::vector<int16_t>* out, int ms);

}  // namespace orvia::sip::test
