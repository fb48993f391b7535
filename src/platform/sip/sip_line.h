// An open SIP line device, as the line sees it (the main thread's side).
//
// Requests are checked here, numbered and handed to the line's user agent on
// the SIP loop; what the loop reports comes back through the main thread's
// poster and reaches LineEvents there, unless the line has been closed in
// the meantime. The line keeps what it needs to answer the synchronous
// questions (caller id, wave devices) for each call until it is deallocated.
//
// Threads: the main thread (the one that opened it); destruction stops the
// user agent on the loop and waits for it.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/sip/media_port.h"
#include "platform/sip/sip_settings.h"
#include "platform/telephony/telephony.h"

namespace orvia::sip {

class SipAgent;
class SipLoop;

// Runs a task on the main thread (the dispatcher's Post in the program).
using MainPoster = std::function<void(std::function<void()>)>;

struct SipLineHooks {
    MainPoster post;
    MediaPortFactory audio;
};

class SipLine : public TelephonyLine {
public:
    // Null with a reason in *error when the SIP stack cannot start.
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
    // Called by the destructor once the line is closed.
    void SetOnClosed(std::function<void()> onClosed) { onClosed_ = std::move(onClosed); }

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
    class Sink;
    SipLine(const SipDeviceSettings& settings, LineEvents* events, const SipLineHooks& hooks);
    const CallRecord* Find(CallHandle call) const;
    RequestId NextRequest();

    SipDeviceSettings settings_;
    std::shared_ptr<SipLoop> loop_;
    std::shared_ptr<Shared> shared_;
    std::unique_ptr<Sink> sink_;
    std::unique_ptr<SipAgent> agent_;  // made, used and destroyed on the loop thread
    RequestId nextRequest_ = 1;
    std::function<void()> onClosed_;
};

}  // namespace orvia::sip
