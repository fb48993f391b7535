// The device registry: which endpoint answers to which wave device identifier.
//
// Identifiers are signed 8-bit. -1 is the system default; 0..63 are the
// machine's devices, numbered without gaps from 0 by whoever installs them at
// start-up (the sound-card backend, or tests under chosen identifiers);
// 64..127 are handed out to connected calls and taken back when they end.
// Output and input identifiers are counted separately, as on a sound card.
//
// The free functions below are what the player, the recorder and the device
// lists use: open by identifier, count, product name.
//
// Threads: any thread; the registry is guarded by its own lock. Opening runs
// outside that lock.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/wave/wave_device.h"
#include "platform/wave/wave_done_notifier.h"
#include "platform/wave/wave_endpoint.h"
#include "platform/wave/wave_types.h"

namespace orvia {

class WaveDeviceRegistry {
public:
    // Maps an identifier (-1..127) to an endpoint, replacing what was there;
    // false for an identifier out of range or a null endpoint.
    bool Register(WaveDirection direction, int id, std::shared_ptr<WaveEndpoint> endpoint);
    void Unregister(WaveDirection direction, int id);
    std::shared_ptr<WaveEndpoint> Find(WaveDirection direction, int id) const;

    // Number of machine devices: identifiers 0, 1, ... up to the first gap
    // (call devices are not counted).
    int Count(WaveDirection direction) const;

    // Takes the lowest call identifier free in both directions and maps it to
    // the pair of endpoints; -1 when every call identifier is taken.
    int RegisterCall(std::shared_ptr<WaveEndpoint> output, std::shared_ptr<WaveEndpoint> input);
    void UnregisterCall(int id);

    // Forgets every device.
    void Clear();

private:
    using Table = std::array<std::shared_ptr<WaveEndpoint>, kLastWaveDevice + 2>;
    Table& TableOf(WaveDirection direction);
    const Table& TableOf(WaveDirection direction) const;
    static int Slot(int id) { return id + 1; }

    mutable std::mutex mutex_;
    Table outputs_;
    Table inputs_;
};

// The process's registry.
WaveDeviceRegistry& WaveDevices();

// Maps an endpoint to an identifier for a scope (tests), restoring what was
// there before.
class ScopedWaveDevice {
public:
    ScopedWaveDevice(WaveDirection direction, int id, std::shared_ptr<WaveEndpoint> endpoint);
    ~ScopedWaveDevice();
    ScopedWaveDevice(const ScopedWaveDevice&) = delete;
    ScopedWaveDevice& operator=(const ScopedWaveDevice&) = delete;

private:
    WaveDirection direction_;
    int id_;
    std::shared_ptr<WaveEndpoint> previous_;
};

struct WaveOpenParams {
    int device = kDefaultWaveDevice;
    PcmFormat format;
    // The second attempt: the device may convert rate or channels.
    bool mapped = false;
    // Called on the current dispatcher's thread for every buffer the device
    // returns; empty for none (the owner polls the done flags).
    WaveDoneCallback onDone;
};

WaveResult OpenWaveOut(const WaveOpenParams& params, std::unique_ptr<WaveOutDevice>* device);
WaveResult OpenWaveIn(const WaveOpenParams& params, std::unique_ptr<WaveInDevice>* device);

int WaveOutDeviceCount();
int WaveInDeviceCount();
// The device's product name, at most 31 bytes; empty when there is no such
// device.
std::string WaveOutProductName(int id);
std::string WaveInProductName(int id);

// Cuts a name to at most 31 bytes without splitting a UTF-8 character.
std::string ShortDeviceName(const std::string& name);

}  // namespace orvia
