// Load host for the SIP benchmark: N SIP lines on consecutive loopback ports.
// Every call is answered at its first ring; once connected, an OGM (a 1 kHz
// tone, or a given 8 kHz 16-bit mono WAV) plays in a loop on the call's
// wave-out device while its wave-in device is recorded into memory. Prints
// "ready" when the lines are open and "connected <n>" whenever the number of
// connected calls changes; ends on SIGTERM or SIGINT.
//
//   orvia_sip_load_host <lines> <first port> [ogm.wav]
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/dispatch/dispatcher.h"
#include "platform/dispatch/step_dispatcher.h"
#include "platform/sip/sip_device.h"
#include "platform/wave/wave_registry.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;
int g_connected = 0;

void OnSignal(int) {
    g_stop = 1;
}

std::vector<int16_t> LoadOgm(const char* path) {
    std::vector<int16_t> samples;
    if (path) {
        std::ifstream in(path, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
        if (bytes.size() > 44) {
            samples.resize((bytes.size() - 44) / 2);
            std::memcpy(samples.data(), bytes.data() + 44, samples.size() * 2);
        }
    }
    if (samples.empty()) {
        samples.resize(8000 * 10);
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<int16_t>(8000 * std::sin(2 * 3.14159265 * 1000 * i / 8000));
    }
    return samples;
}

class LineOwner : public orvia::LineEvents {
public:
    LineOwner(orvia::TelephonyDevice* device, const std::vector<int16_t>* ogm) : ogm_(ogm) {
        line_ = device->Open(this);
    }
    bool IsOpen() const { return line_ != nullptr; }

    void OnCallState(orvia::CallHandle call, orvia::CallState state) override {
        switch (state) {
            case orvia::CallState::Offering:
                call_ = call;
                break;
            case orvia::CallState::Connected:
                Start(call);
                break;
            case orvia::CallState::Disconnected:
            case orvia::CallState::Busy:
                Stop();
                line_->Drop(call);
                break;
            case orvia::CallState::Idle:
                Stop();
                line_->Deallocate(call);
                call_ = 0;
                break;
        }
    }
    void OnRinging(int count) override {
        if (count == 1 && call_)
            line_->Answer(call_);
    }
    void OnDigitDetected(orvia::CallHandle, char) override {}
    void OnDigitsGenerated(orvia::CallHandle) override {}
    void OnMediaDetected(orvia::CallHandle, orvia::DetectedMedia) override {}
    void OnReply(orvia::RequestId, bool) override {}

private:
    void Start(orvia::CallHandle call) {
        orvia::WaveOpenParams out;
        out.device = line_->WaveOutDevice(call);
        out.format.channels = 1;
        out.format.rate = 8000;
        if (orvia::OpenWaveOut(out, &player_) != orvia::WaveResult::Ok)
            return;
        ogmBuffer_.data = reinterpret_cast<uint8_t*>(const_cast<int16_t*>(ogm_->data()));
        ogmBuffer_.length = static_cast<uint32_t>(ogm_->size() * 2);
        ogmBuffer_.flags = orvia::WaveBuffer::kBeginLoop | orvia::WaveBuffer::kEndLoop;
        ogmBuffer_.loops = 1000;
        player_->Write(&ogmBuffer_);

        orvia::WaveOpenParams in;
        in.device = line_->WaveInDevice(call);
        in.format = out.format;
        in.onDone = [this](orvia::WaveBuffer* buffer) { Recorded(buffer); };
        if (orvia::OpenWaveIn(in, &recorder_) != orvia::WaveResult::Ok)
            return;
        for (auto& block : blocks_) {
            block.data.assign(1600 * 2, 0);  // 200 ms each
            block.buffer.data = block.data.data();
            block.buffer.length = static_cast<uint32_t>(block.data.size());
            recorder_->AddBuffer(&block.buffer);
        }
        recorder_->Start();
        std::printf("connected %d\n", ++g_connected);
        std::fflush(stdout);
    }
    void Recorded(orvia::WaveBuffer* buffer) {
        recordedBytes_ += buffer->bytesRecorded.load();
        if (recorder_) {
            buffer->flags = 0;
            buffer->bytesRecorded = 0;
            recorder_->AddBuffer(buffer);
        }
    }
    void Stop() {
        if (!player_ && !recorder_)
            return;
        recorder_.reset();
        player_.reset();
        std::printf("connected %d\n", --g_connected);
        std::fflush(stdout);
    }

    struct Block {
        std::vector<uint8_t> data;
        orvia::WaveBuffer buffer;
    };
    const std::vector<int16_t>* ogm_;
    std::unique_ptr<orvia::TelephonyLine> line_;
    orvia::CallHandle call_ = 0;
    std::unique_ptr<orvia::WaveOutDevice> player_;
    std::unique_ptr<orvia::WaveInDevice> recorder_;
    orvia::WaveBuffer ogmBuffer_;
    Block blocks_[4];
    uint64_t recordedBytes_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <lines> <first port> [ogm.wav]\n", argv[0]);
        return 2;
    }
    const int lines = std::atoi(argv[1]);
    const int firstPort = std::atoi(argv[2]);
    const std::vector<int16_t> ogm = LoadOgm(argc > 3 ? argv[3] : nullptr);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGINT, OnSignal);

    orvia::StepDispatcher dispatcher;
    orvia::ScopedCurrentDispatcher scope(&dispatcher);
    std::vector<std::unique_ptr<orvia::sip::SipDevice>> devices;
    std::vector<std::unique_ptr<LineOwner>> owners;
    for (int i = 0; i < lines; ++i) {
        std::string error;
        auto device = orvia::sip::CreateSipDevice(
            "line" + std::to_string(i),
            {{"listen", "127.0.0.1:" + std::to_string(firstPort + i)}, {"ringinterval", "0.2"}},
            orvia::sip::DefaultSipLineHooks(), &error);
        if (!device) {
            std::fprintf(stderr, "line %d: %s\n", i, error.c_str());
            return 1;
        }
        auto owner = std::make_unique<LineOwner>(device.get(), &ogm);
        if (!owner->IsOpen()) {
            std::fprintf(stderr, "line %d: %s\n", i, device->LastError().c_str());
            return 1;
        }
        devices.push_back(std::move(device));
        owners.push_back(std::move(owner));
    }
    std::printf("ready\n");
    std::fflush(stdout);
    while (!g_stop)
        dispatcher.RunUntil([] { return g_stop != 0; }, 200);
    owners.clear();
    return 0;
}
