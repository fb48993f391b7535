#include "platform/sip/sip_account_p.h"

#include "platform/sip/sip_agent_p.h"
#include "platform/sip/sip_loop_p.h"
#include "platform/thread/thread_affinity.h"

namespace orvia::sip {

SipAccount::SipAccount(SipDeviceSettings settings, SipLineHooks hooks)
    : settings_(std::move(settings)),
      hooks_(std::move(hooks)),
      open_(static_cast<size_t>(std::max(settings_.channels, 1)), false) {}

SipAccount::~SipAccount() {
    // Every line holds the account, so no channel is open any more.
    if (loop_ && agent_)
        loop_->Call([this] { agent_.reset(); });
}

bool SipAccount::IsOpen(int channel) const {
    return channel >= 0 && channel < Channels() && open_[static_cast<size_t>(channel)];
}

std::unique_ptr<SipLine> SipAccount::OpenChannel(const std::shared_ptr<SipAccount>& account,
                                                 int channel, LineEvents* events,
                                                 std::string* error) {
    ORVIA_ASSERT_MAIN_THREAD();
    SipAccount& self = *account;
    if (!events || !self.hooks_.post) {
        *error = "the line has no owner to report to";
        return nullptr;
    }
    if (channel < 0 || channel >= self.Channels()) {
        *error = "the account has no channel " + std::to_string(channel + 1);
        return nullptr;
    }
    if (self.open_[static_cast<size_t>(channel)]) {
        *error = "the device is open already";
        return nullptr;
    }
    if (!self.agent_) {
        self.loop_ = SipLoop::Acquire();
        if (!self.loop_) {
            *error = "the SIP stack (libre) cannot start";
            return nullptr;
        }
        std::string reason;
        self.loop_->Call([&] {
            self.agent_ =
                SipAgent::Create(self.settings_, self.loop_.get(), self.hooks_.audio, &reason);
        });
        if (!self.agent_) {
            self.loop_.reset();
            *error = reason;
            return nullptr;
        }
    }
    std::unique_ptr<SipLine> line(new SipLine(account, channel, events, self.hooks_.post));
    LineSink* sink = line->LoopSink();
    SipAgent* agent = self.agent_.get();
    self.loop_->Call([agent, channel, sink] { agent->OpenChannel(channel, sink); });
    self.open_[static_cast<size_t>(channel)] = true;
    return line;
}

void SipAccount::CloseChannel(int channel) {
    ORVIA_ASSERT_MAIN_THREAD();
    if (!IsOpen(channel))
        return;
    open_[static_cast<size_t>(channel)] = false;
    const bool last = std::none_of(open_.begin(), open_.end(), [](bool open) { return open; });
    loop_->Call([this, channel, last] {
        agent_->CloseChannel(channel);
        if (last)
            agent_.reset();
    });
    if (last)
        loop_.reset();
}

}  // namespace orvia::sip
