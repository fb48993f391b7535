// Shared types of the wave device layer: formats, result codes and the buffer
// header that the owner of a device queues on it.
//
// Devices carry 16-bit little-endian PCM only. Device identifiers are signed
// 8-bit: -1 is the system default device, 0..63 the machine's devices (sound
// cards, test devices), 64..127 the devices of connected calls.
#pragma once

#include <atomic>
#include <cstdint>

namespace orvia {

constexpr int kDefaultWaveDevice = -1;
constexpr int kFirstCallWaveDevice = 64;
constexpr int kLastWaveDevice = 127;

enum class WaveDirection { Output, Input };

struct PcmFormat {
    int channels = 1;
    int rate = 8000;  // frames per second

    int BlockAlign() const { return channels * 2; }
    bool IsValid() const { return channels >= 1 && channels <= 8 && rate >= 1 && rate <= 768000; }
    bool operator==(const PcmFormat&) const = default;
};

enum class WaveResult {
    Ok,
    BadDevice,     // no device with that identifier, or it cannot be opened
    Allocated,     // the device is busy (already open)
    BadFormat,     // the device cannot take the format (try again mapped)
    InvalidParam,  // a null or malformed buffer or argument
    StillPlaying,  // the buffer is already queued
    NoDispatcher,  // a done callback was asked for but there is no dispatcher
    Error,         // any other failure of the device
};

const char* WaveResultText(WaveResult result);

// One buffer queued on a device, the replacement of a wave header. The owner
// keeps the memory and the header alive until the device has marked it done.
// The flags and the byte count are atomic: a feeding thread may poll the done
// flag while the device thread sets it. A done buffer's data is no longer
// touched by the device.
struct WaveBuffer {
    static constexpr uint32_t kDone = 0x01;       // the device has finished with it
    static constexpr uint32_t kBeginLoop = 0x04;  // first buffer of a loop
    static constexpr uint32_t kEndLoop = 0x08;    // last buffer of a loop
    static constexpr uint32_t kInQueue = 0x10;    // queued on a device

    uint8_t* data = nullptr;
    uint32_t length = 0;                     // bytes of data
    std::atomic<uint32_t> bytesRecorded{0};  // input: bytes filled
    std::atomic<uint32_t> flags{0};
    uint32_t loops = 0;  // on a begin-loop buffer: how many times the loop plays
    uintptr_t user = 0;  // the owner's own value

    bool IsDone() const { return (flags.load(std::memory_order_acquire) & kDone) != 0; }
};

}  // namespace orvia
