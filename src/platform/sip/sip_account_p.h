// One SIP account (one "sip" section of the telephony configuration) as its
// channel devices share it: one user agent (one listen address, one
// registration) that runs while at least one channel is open. Opening the
// first channel starts the agent on the SIP loop; closing the last stops it.
//
// Threads: the main thread; the agent itself lives on the SIP loop.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/sip/sip_line.h"
#include "platform/sip/sip_settings.h"

namespace orvia::sip {

class SipAgent;
class SipLoop;

class SipAccount {
public:
    SipAccount(SipDeviceSettings settings, SipLineHooks hooks);
    ~SipAccount();
    SipAccount(const SipAccount&) = delete;
    SipAccount& operator=(const SipAccount&) = delete;

    const SipDeviceSettings& Settings() const { return settings_; }
    int Channels() const { return static_cast<int>(open_.size()); }
    bool IsOpen(int channel) const;

    // Opens a channel (0 .. Channels() - 1) for events, starting the agent
    // when no channel was open; null with a reason in *error. The line keeps
    // the account alive.
    static std::unique_ptr<SipLine> OpenChannel(const std::shared_ptr<SipAccount>& account,
                                                int channel, LineEvents* events,
                                                std::string* error);

    // For the open lines: the loop and the agent on it (used on the loop
    // thread only; alive while any channel is open).
    SipLoop& Loop() const { return *loop_; }
    SipAgent* Agent() const { return agent_.get(); }
    // A line closes its channel: its call ends; the agent stops after the
    // last channel.
    void CloseChannel(int channel);

private:
    SipDeviceSettings settings_;
    SipLineHooks hooks_;
    std::vector<bool> open_;
    std::shared_ptr<SipLoop> loop_;
    std::unique_ptr<SipAgent> agent_;  // made, used and destroyed on the loop thread
};

}  // namespace orvia::sip
