// The telephony part of the configuration check: telephony.ini and the
// lines of settings.ini.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>

#include "app/check/config_check.h"
#include "line/line_application.h"
#include "line/line_setup.h"
#include "platform/files/text_file.h"
#include "platform/text/ascii_text.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"

namespace orvia {
namespace {

struct CheckedDevice {
    std::string section;
    bool voice = false;
    std::optional<ListenEndpoint> listens;
};

std::string KnownTypes() {
    std::string list;
    for (const std::string& type : TelephonyProviderTypes())
        list += (list.empty() ? "" : ", ") + type;
    return list;
}

// The key a provider's complaint begins with ("\"listen\": ..."), if any.
std::string KeyOf(const std::string& problem) {
    if (problem.size() < 2 || problem[0] != '"')
        return {};
    const std::size_t close = problem.find('"', 1);
    return close == std::string::npos ? std::string() : problem.substr(1, close - 1);
}

bool IsWildcard(const std::string& host) {
    return host == "0.0.0.0" || host == "::";
}

std::string EndpointText(const ListenEndpoint& endpoint) {
    const bool v6 = endpoint.host.find(':') != std::string::npos;
    return (v6 ? "[" + endpoint.host + "]" : endpoint.host) + ":" + std::to_string(endpoint.port) +
           " (" + endpoint.transport + ")";
}

// Binds the address for a moment: 0, or the errno of the failure.
int ProbeBind(const ListenEndpoint& endpoint) {
    const bool tcp = endpoint.transport != "udp";  // TLS runs over TCP
    sockaddr_storage storage{};
    socklen_t size = 0;
    int family = AF_INET;
    auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
    if (::inet_pton(AF_INET, endpoint.host.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(endpoint.port);
        size = sizeof *v4;
    } else if (::inet_pton(AF_INET6, endpoint.host.c_str(), &v6->sin6_addr) == 1) {
        family = AF_INET6;
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(endpoint.port);
        size = sizeof *v6;
    } else {
        return EINVAL;
    }
    const int fd = ::socket(family, (tcp ? SOCK_STREAM : SOCK_DGRAM) | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return errno;
    if (tcp) {
        // A port left in TIME_WAIT by an earlier run is no conflict: the
        // SIP stack reuses it too.
        const int on = 1;
        (void)::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    }
    const int result = ::bind(fd, reinterpret_cast<sockaddr*>(&storage), size) == 0 ? 0 : errno;
    ::close(fd);
    return result;
}

class TelephonyChecker {
public:
    explicit TelephonyChecker(const CheckOptions& options) : options_(options) {}

    std::vector<CheckFinding> Run() {
        CheckDevices();
        CheckListenAddresses();
        CheckLines();
        return std::move(findings_);
    }

private:
    void Add(FindingSeverity severity, const std::string& file, const std::string& section,
             const std::string& key, const std::string& text) {
        findings_.push_back({severity, file, section, key, text});
    }

    void CheckDevices() {
        if (!FileIsPresent(path_)) {
            Add(FindingSeverity::Error, path_, "", "",
                "does not exist: there are no telephone line devices (Orvia writes one on its "
                "first start)");
            return;
        }
        for (const std::string& section : ReadProfileSectionNames(path_)) {
            const TelephonySettings settings = ReadProfileSection(path_, section);
            const std::string type = AsciiLower(SettingOf(settings, "type"));
            if (type.empty() || !HasTelephonyProvider(type)) {
                Add(FindingSeverity::Error, path_, section, "type",
                    (type.empty() ? std::string("is missing")
                                  : Quoted(type) + " is no device type") +
                        " (known types: " + KnownTypes() + "): this section gives no device");
                continue;
            }
            const std::vector<std::string> keys = TelephonyProviderKeys(type);
            for (const auto& [key, value] : settings) {
                const std::string lower = AsciiLower(key);
                if (lower == "type" || keys.empty() ||
                    std::find(keys.begin(), keys.end(), lower) != keys.end())
                    continue;
                Add(FindingSeverity::Warning, path_, section, key,
                    "is not a key of a " + type + " device (misspelt?): it has no effect");
            }
            TelephonyDevices built = TelephonyDevices::Build({{section, settings}});
            if (built.Count() == 0) {
                std::string problem = built.Problems().empty() ? "the device cannot be used"
                                                               : built.Problems().front();
                const std::string prefix = "[" + section + "]: ";
                if (problem.rfind(prefix, 0) == 0)
                    problem.erase(0, prefix.size());
                const std::string key = KeyOf(problem);
                // "\"listen\": ..." names its key, which the line gives already.
                if (!key.empty() && problem.rfind("\"" + key + "\": ", 0) == 0)
                    problem.erase(0, key.size() + 4);
                Add(FindingSeverity::Error, path_, section, key,
                    problem + ": this section gives no device");
                continue;
            }
            // One device per channel of an account; the channels share one
            // listen address, which counts once.
            for (std::size_t i = 0; i < built.Count(); ++i) {
                TelephonyDevice* device = built.Device(static_cast<int>(i));
                devices_.push_back(
                    {section, device->IsVoiceCapable(), i == 0 ? device->Listens() : std::nullopt});
            }
        }
    }

    static std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

    void CheckListenAddresses() {
        for (std::size_t i = 0; i < devices_.size(); ++i) {
            if (!devices_[i].listens)
                continue;
            const ListenEndpoint& a = *devices_[i].listens;
            bool duplicate = false;
            for (std::size_t j = 0; j < i && !duplicate; ++j) {
                if (!devices_[j].listens)
                    continue;
                const ListenEndpoint& b = *devices_[j].listens;
                // TCP and TLS both take a TCP port.
                const bool sameKind = (a.transport == "udp") == (b.transport == "udp");
                if (sameKind && a.port == b.port &&
                    (a.host == b.host || IsWildcard(a.host) || IsWildcard(b.host))) {
                    duplicate = true;
                    Add(FindingSeverity::Error, path_, devices_[i].section, "listen",
                        EndpointText(a) + " is taken by [" + devices_[j].section + "] (" +
                            EndpointText(b) + "): only one of the two devices can open");
                }
            }
            if (duplicate || !options_.probeListenAddresses)
                continue;
            const int error = ProbeBind(a);
            if (error == EADDRINUSE)
                Add(FindingSeverity::Error, path_, devices_[i].section, "listen",
                    EndpointText(a) +
                        " is in use by another program right now: the device "
                        "will not open");
            else if (error == EADDRNOTAVAIL)
                Add(FindingSeverity::Error, path_, devices_[i].section, "listen",
                    EndpointText(a) +
                        " is not an address of this computer: the device will "
                        "not open");
            else if (error == EACCES)
                Add(FindingSeverity::Error, path_, devices_[i].section, "listen",
                    EndpointText(a) + " needs privileges this user lacks (" + std::strerror(error) +
                        "): the device will not open");
        }
    }

    void CheckLines() {
        const std::string& settings = Store().SettingsFile();
        std::map<int, std::string> usedBy;
        int configured = 0;
        for (int index = 0; index < kMaxLines; ++index) {
            const std::string section = "line" + std::to_string(index);
            if (!ReadProfileBool(settings, section, "use", false))
                continue;
            ++configured;
            const int device = ReadProfileInt(settings, section, "device", index);
            const std::string key = ProfileHasKey(settings, section, "device") ? "device" : "";
            const auto count = static_cast<int>(devices_.size());
            if (device < 0 || device >= count) {
                Add(FindingSeverity::Error, settings, section, key,
                    "device " + std::to_string(device) + " does not exist (" + path_ + " gives " +
                        std::to_string(count) + (count == 1 ? " device" : " devices") +
                        "): the line takes no calls");
                continue;
            }
            const CheckedDevice& found = devices_[static_cast<std::size_t>(device)];
            if (!found.voice)
                Add(FindingSeverity::Error, settings, section, key,
                    "device " + std::to_string(device) + " ([" + found.section +
                        "]) is not voice capable: the line takes no calls");
            auto [it, fresh] = usedBy.emplace(device, section);
            if (!fresh)
                Add(FindingSeverity::Error, settings, section, key,
                    "device " + std::to_string(device) + " is the device of [" + it->second +
                        "] already: only one of the two lines can open it");
        }
        if (configured > 0)
            return;
        const bool anyVoice = std::any_of(devices_.begin(), devices_.end(),
                                          [](const CheckedDevice& d) { return d.voice; });
        if (!anyVoice)
            Add(FindingSeverity::Error, settings, "", "",
                "no line is configured and " + path_ +
                    " gives no voice-capable device: Orvia runs without lines");
    }

    const CheckOptions& options_;
    const std::string path_ = TelephonyConfigPath();
    std::vector<CheckedDevice> devices_;
    std::vector<CheckFinding> findings_;
};

}  // namespace

std::vector<CheckFinding> CheckTelephony(const CheckOptions& options) {
    return TelephonyChecker(options).Run();
}

}  // namespace orvia
