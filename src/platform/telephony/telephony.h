// The telephony device layer: line devices from every provider behind one
// list, the replacement of the operating system's telephony line service.
//
// Which devices exist comes from the telephony configuration (one section
// per device, its "type" naming the provider, the other keys its settings;
// the line subsystem reads it from the data folder). A device identifier is
// the device's position in that list.
//
// Threads: everything here belongs to the main thread. Providers that work on
// threads of their own (a SIP stack, a media clock) deliver every event to the
// main thread through the dispatcher before calling a LineEvents method.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orvia {

using CallHandle = uint32_t;  // 0 = no call
using RequestId = int32_t;    // > 0: a request whose reply comes later

enum class CallState { Offering, Connected, Disconnected, Busy, Idle };
enum class DetectedMedia { Fax, Data };
enum class HandoffResult { HandedOff, TargetNotFound, Failed };

// The registration of a line device with a registrar or PBX.
enum class RegistrationState {
    None,         // the device registers nowhere
    Registering,  // the first attempt (or a retry) is under way
    Registered,
    Failed,  // the last attempt failed; another follows at nextTry
};

struct RegistrationStatus {
    RegistrationState state = RegistrationState::None;
    std::string registrar;  // where it registers ("sip:pbx.example.com")
    std::string detail;     // the registrar's last answer ("403 Forbidden") or the error
    int64_t nextTry = 0;    // local date-time of the next attempt when Failed
};

// What an open line device can say about itself, for the program's status.
struct LineDeviceStatus {
    std::string address;  // where it takes calls ("127.0.0.1:5060 udp"); empty if none
    RegistrationStatus registration;
};

// Where a device listens on the network, for the configuration check.
struct ListenEndpoint {
    std::string transport;  // "udp", "tcp" or "tls" (over TCP)
    std::string host;       // numeric address
    uint16_t port = 0;
};

struct CallerInfo {
    std::string number;
    std::string name;
    bool blocked = false;
    bool outOfArea = false;
};

// What an open line device reports to its owner (the line), on the main thread.
class LineEvents {
public:
    virtual ~LineEvents() = default;
    // A call changed state. The first event of a call carries a handle the
    // owner has not seen yet.
    virtual void OnCallState(CallHandle call, CallState state) = 0;
    // The line rings; count grows from 1 with each ring of one offered call.
    virtual void OnRinging(int count) = 0;
    // A key press detected on the call ('0'-'9', '*', '#', 'A'-'D').
    virtual void OnDigitDetected(CallHandle call, char digit) = 0;
    // The digits of GenerateDigits are out.
    virtual void OnDigitsGenerated(CallHandle call) = 0;
    // Another kind of media (a fax or data tone) was detected on the call.
    virtual void OnMediaDetected(CallHandle call, DetectedMedia media) = 0;
    // The reply to an asynchronous request.
    virtual void OnReply(RequestId request, bool ok) = 0;
};

// One open line device. Requests answer at once with a request identifier
// (> 0, the reply follows through OnReply) or a negative value when the
// request failed at once.
class TelephonyLine {
public:
    virtual ~TelephonyLine() = default;
    virtual RequestId Answer(CallHandle call) = 0;
    virtual RequestId Drop(CallHandle call) = 0;
    // An outgoing call; its handle arrives with its first OnCallState.
    virtual RequestId MakeCall(const std::string& number) = 0;
    virtual RequestId BlindTransfer(CallHandle call, const std::string& number) = 0;
    // Sends DTMF digits ("!" flash, "," pause); false when they cannot be sent.
    virtual bool GenerateDigits(CallHandle call, const std::string& digits) = 0;
    // Hands the call to the application registered for the media.
    virtual HandoffResult Handoff(CallHandle call, DetectedMedia media) = 0;
    // Forgets an idle call.
    virtual void Deallocate(CallHandle call) = 0;
    virtual CallerInfo GetCallerInfo(CallHandle call) = 0;
    // The call's wave devices (identifiers of the wave device layer); -1 when
    // the call has none.
    virtual int WaveOutDevice(CallHandle call) = 0;
    virtual int WaveInDevice(CallHandle call) = 0;
    // Its address and registration; nothing by default.
    virtual LineDeviceStatus DeviceStatus() const { return {}; }
};

// A line device as the configuration describes it.
class TelephonyDevice {
public:
    virtual ~TelephonyDevice() = default;
    virtual std::string Name() const = 0;
    virtual bool IsVoiceCapable() const = 0;
    // Opens the device for one owner; null when it cannot be opened (already
    // open, or the provider failed).
    virtual std::unique_ptr<TelephonyLine> Open(LineEvents* events) = 0;
    // Why the last Open failed ("SIP on 127.0.0.1:5060: address in use");
    // empty when the provider cannot tell.
    virtual std::string OpenError() const { return {}; }
    // The network address the device would listen on; none for devices
    // that do not listen. The channels of one account share theirs.
    virtual std::optional<ListenEndpoint> Listens() const { return std::nullopt; }
    // Devices that are channels of one account (a SIP section with several
    // channels) give the same non-empty text, so a call the program places
    // may go out on any free channel of it; empty for a device of its own.
    virtual std::string ChannelGroup() const { return {}; }
};

using TelephonySettings = std::vector<std::pair<std::string, std::string>>;

using TelephonyDeviceList = std::vector<std::unique_ptr<TelephonyDevice>>;

// Builds the devices of one provider type from its section: one, or one per
// channel of an account; none with a reason in *error for settings it cannot
// use.
using TelephonyDeviceFactory = std::function<TelephonyDeviceList(
    const std::string& section, const TelephonySettings& settings, std::string* error)>;

// Registers a provider type ("sip", "simulated") with the keys its sections
// may hold besides "type" (lower case; empty: not told); a later
// registration of the same type replaces the earlier one.
void RegisterTelephonyProvider(const std::string& type, TelephonyDeviceFactory factory,
                               std::vector<std::string> keys = {});
bool HasTelephonyProvider(const std::string& type);
// The registered types in alphabetical order.
std::vector<std::string> TelephonyProviderTypes();
// The keys a provider's sections may hold; empty when it did not tell.
std::vector<std::string> TelephonyProviderKeys(const std::string& type);

// The value of a key in a device's settings (keys without regard to case).
std::string SettingOf(const TelephonySettings& settings, const std::string& key,
                      const std::string& def = {});

// The device list.
class TelephonyDevices {
public:
    // Builds the devices of a configuration: each section with a "type"
    // whose provider is registered becomes its devices (one, or one per
    // channel), in order. Sections that cannot be used are skipped and
    // described in Problems().
    static TelephonyDevices Build(
        const std::vector<std::pair<std::string, TelephonySettings>>& sections);

    TelephonyDevices() = default;
    TelephonyDevices(TelephonyDevices&&) = default;
    TelephonyDevices& operator=(TelephonyDevices&&) = default;

    std::size_t Count() const { return devices_.size(); }
    // Null for an identifier outside the list.
    TelephonyDevice* Device(int id) const;
    void Add(std::unique_ptr<TelephonyDevice> device) { devices_.push_back(std::move(device)); }
    const std::vector<std::string>& Problems() const { return problems_; }

private:
    TelephonyDeviceList devices_;
    std::vector<std::string> problems_;
};

}  // namespace orvia
