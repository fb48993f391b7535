// The sound pipeline model: sources pulled for blocks of samples, sinks pushed
// blocks of samples, and counted handles that own them.
//
// Samples are signed 32-bit, interleaved by channel, nominal full scale 2^19
// (a 16-bit sample is multiplied by 16). Blocks move in at most
// kMaxBlockFrames frames. Sources and sinks are not thread-safe: one consumer
// at a time, on whichever thread drives it.
#pragma once

#include <atomic>
#include <cstdint>

namespace orvia {

inline constexpr int32_t kMaxBlockFrames = 8192;
// Full scale of 16-bit audio in the pipeline (32767 x 16).
inline constexpr uint32_t kFullScale16 = 524272;
// The declared full scale of a process with no input.
inline constexpr uint32_t kNoInputMaxSample = 2097152;
inline constexpr uint8_t kSoundInvalid = 0x01;

// Reference counting shared by sources and sinks. The last Release destroys
// the object through its virtual destructor.
class LCountedObject {
public:
    virtual ~LCountedObject() = default;
    void AddRef() { refCount_.fetch_add(1, std::memory_order_relaxed); }
    void Release() {
        if (refCount_.fetch_sub(1, std::memory_order_acq_rel) == 1)
            delete this;
    }
    uint32_t RefCount() const { return refCount_.load(std::memory_order_relaxed); }

protected:
    LCountedObject() = default;

private:
    std::atomic<uint32_t> refCount_{0};
};

// A counted handle. Copying raises the new target's count before lowering the
// old one's; an empty handle is a valid value.
template <class T>
class LCountedHandle {
public:
    LCountedHandle() = default;
    // Takes a new reference to the object (a factory's last step).
    explicit LCountedHandle(T* object) : object_(object) {
        if (object_)
            object_->AddRef();
    }
    LCountedHandle(const LCountedHandle& other) : LCountedHandle(other.object_) {}
    LCountedHandle(LCountedHandle&& other) noexcept : object_(other.object_) {
        other.object_ = nullptr;
    }
    template <class U>
    LCountedHandle(const LCountedHandle<U>& other) : LCountedHandle(other.get()) {}
    ~LCountedHandle() {
        if (object_)
            object_->Release();
    }
    LCountedHandle& operator=(const LCountedHandle& other) {
        if (other.object_)
            other.object_->AddRef();
        if (object_)
            object_->Release();
        object_ = other.object_;
        return *this;
    }
    LCountedHandle& operator=(LCountedHandle&& other) noexcept {
        if (this != &other) {
            if (object_)
                object_->Release();
            object_ = other.object_;
            other.object_ = nullptr;
        }
        return *this;
    }
    void reset() { *this = LCountedHandle(); }
    T* get() const { return object_; }
    T* operator->() const { return object_; }
    T& operator*() const { return *object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    T* object_ = nullptr;
};

class LSoundSourceBase : public LCountedObject {
public:
    // Fills exactly frames x channels samples (frames <= kMaxBlockFrames) and
    // advances the position by frames, with zeros outside the data.
    virtual void Read(int32_t* buffer, int32_t frames) = 0;
    virtual void Seek(int32_t frame) { (void)frame; }
    virtual int32_t GetPosition() = 0;
    virtual int32_t GetLength() = 0;

    bool IsInvalid() const { return (flags & kSoundInvalid) != 0; }

    int32_t sampleRate;
    uint32_t maxSample;
    uint8_t channels;
    uint8_t flags = 0;

protected:
    // A rate below 1 becomes 44100 and zero channels become 1; either marks
    // the source invalid.
    LSoundSourceBase(int32_t rate, uint32_t maxSampleValue, uint32_t channelCount);
};

class LSoundSinkBase : public LCountedObject {
public:
    // Adds frames to position, then writes (an invalid sink only counts).
    virtual void Write(const int32_t* buffer, int32_t frames) = 0;
    // Cuts the sink back to frames; the base does nothing.
    virtual void Truncate(int32_t frames) { (void)frames; }

    bool IsInvalid() const { return (flags & kSoundInvalid) != 0; }

    int32_t position = 0;
    uint32_t sampleRate;
    uint32_t maxSample;
    uint8_t channels;
    uint8_t flags = 0;

protected:
    LSoundSinkBase(uint32_t rate, uint32_t maxSampleValue, uint32_t channelCount);
};

using LSoundSource = LCountedHandle<LSoundSourceBase>;
using LSoundSink = LCountedHandle<LSoundSinkBase>;

// Empty handles and objects marked invalid are both invalid.
inline bool IsInvalid(const LSoundSource& source) {
    return !source || source->IsInvalid();
}
inline bool IsInvalid(const LSoundSink& sink) {
    return !sink || sink->IsInvalid();
}

// Makes a handle to a freshly built object.
template <class T, class... Args>
LCountedHandle<T> MakeCounted(Args&&... args) {
    return LCountedHandle<T>(new T(static_cast<Args&&>(args)...));
}

}  // namespace orvia
