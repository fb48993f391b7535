// An open SIP line device (one channel of an account), as the line sees it
// (the main thread's side).
//
// Requests are checked here, numbered and handed to the account's user agent
// on the SIP loop; what the loop reports about the channel's calls comes back
// through the main thread's poster and reaches LineEvents there, unless the
// line has been closed in the meantime. The line keeps what it needs to
// answer the synchronous questions (caller id, wave devices) for each call
// until it is deallocated.
//
// Threads: the main thread (the one that opened it); destruction ends the
// channel's call on the loop and waits for it (and stops the user agent when
// it was the account's last open channel).
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/sip/media_port.h"
#include "platform/sip/sip_settings.h"
#include "platform/telephony/telephony.h"

namespace orvia::sip {

class LineSink;
class SipAccount;
class SipAgent;

// Runs a task on the main thread (the dispatcher's Post in the program).
using MainPoster = std::function<void(std::function<void()>)>;

struct SipLineHooks {
    MainPoster post;
    MediaPortFactory audio;
};

class SipLine : public TelephonyLine {
public:
    // The first channel of an account of its own; null with a reason in
    // *error when the SIP stack cannot start.
    static std::unique_ptr<SipLine> Open(const SipDeviceSettings& settings, LineEvents* events,
                                         const SipLineHooks& hooks, std::string* error);
    ~SipLine() override;
    SipLine(const SipLine&) = delete;
    SipLine& operator=(const SipLine&) = delete;

    RequestId Answer(CallHandle call) override;
    RequestId Drop(CallHandle call) override;
    RequestId MakeCall(const std::string& number) override;
    RequestId BlindTransfer(CallHandle call, const std::string& number) override;
    bool GenerateDigits(CallHandle call, const std::string& digits) override;
    HandoffResult Handoff(CallHandle call, DetectedMedia media) override;
    void Deallocate(CallHandle call) override;
    CallerInfo GetCallerInfo(CallHandle call) override;
    int WaveOutDevice(CallHandle call) override;
    int WaveInDevice(CallHandle call) override;
    LineDeviceStatus DeviceStatus() const override;

    // "ip:port" where the line takes SIP requests.
    std::string LocalSipAddress() const;
    bool IsRegistered() const;

    struct CallRecord {
        CallerInfo caller;
        int waveOut = -1;
        int waveIn = -1;
        bool connected = false;
    };
    struct Shared {
        LineEvents* events = nullptr;
        bool open = true;
        std::map<CallHandle, CallRecord> calls;
    };

private:
    friend class SipAccount;
    class Sink;
    SipLine(std::shared_ptr<SipAccount> account, int channel, LineEvents* events,
            const MainPoster& post);
    const CallRecord* Find(CallHandle call) const;
    RequestId NextRequest();
    // Runs a request on the loop with the agent (alive while this line is open).
    template <typename Request>
    void PostToAgent(Request request);
    // What the agent reports this channel's calls to (on the loop thread).
    LineSink* LoopSink() const;

    std::shared_ptr<SipAccount> account_;
    int channel_;
    const SipDeviceSettings& settings_;
    std::shared_ptr<Shared> shared_;
    std::unique_ptr<Sink> sink_;
    RequestId nextRequest_ = 1;
};

}  // namespace orvia::sip
