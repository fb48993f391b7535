#include "platform/alsa/alsa_pcm_p.h"

#include <cerrno>
#include <mutex>

namespace orvia {
namespace {

constexpr unsigned kPeriodUs = 20000;
constexpr unsigned kBufferUs = 100000;

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// Frees hardware or software parameter blocks on every path.
struct HwParams {
    HwParams() { snd_pcm_hw_params_malloc(&params); }
    ~HwParams() { snd_pcm_hw_params_free(params); }
    snd_pcm_hw_params_t* params = nullptr;
};

struct SwParams {
    SwParams() { snd_pcm_sw_params_malloc(&params); }
    ~SwParams() { snd_pcm_sw_params_free(params); }
    snd_pcm_sw_params_t* params = nullptr;
};

WaveResult ConfigureHardware(snd_pcm_t* pcm, const PcmFormat& format, bool resample,
                             AlsaPcmConfig* config) {
    HwParams hw;
    if (!hw.params || snd_pcm_hw_params_any(pcm, hw.params) < 0)
        return WaveResult::Error;
    snd_pcm_hw_params_set_rate_resample(pcm, hw.params, resample ? 1 : 0);
    if (snd_pcm_hw_params_set_access(pcm, hw.params, SND_PCM_ACCESS_RW_INTERLEAVED) < 0 ||
        snd_pcm_hw_params_set_format(pcm, hw.params, SND_PCM_FORMAT_S16_LE) < 0 ||
        snd_pcm_hw_params_set_channels(pcm, hw.params, static_cast<unsigned>(format.channels)) <
            0 ||
        snd_pcm_hw_params_set_rate(pcm, hw.params, static_cast<unsigned>(format.rate), 0) < 0)
        return WaveResult::BadFormat;
    unsigned period = kPeriodUs;
    unsigned buffer = kBufferUs;
    int dir = 0;
    snd_pcm_hw_params_set_period_time_near(pcm, hw.params, &period, &dir);
    snd_pcm_hw_params_set_buffer_time_near(pcm, hw.params, &buffer, &dir);
    if (snd_pcm_hw_params(pcm, hw.params) < 0)
        return WaveResult::BadFormat;
    snd_pcm_hw_params_get_period_size(hw.params, &config->periodFrames, &dir);
    snd_pcm_hw_params_get_buffer_size(hw.params, &config->bufferFrames);
    if (config->periodFrames == 0 || config->bufferFrames < config->periodFrames)
        return WaveResult::BadFormat;
    return WaveResult::Ok;
}

WaveResult ConfigureSoftware(snd_pcm_t* pcm, const AlsaPcmConfig& config) {
    SwParams sw;
    if (!sw.params || snd_pcm_sw_params_current(pcm, sw.params) < 0)
        return WaveResult::Error;
    // Playback starts once a period is written, not on the first frame.
    snd_pcm_sw_params_set_start_threshold(pcm, sw.params, config.periodFrames);
    snd_pcm_sw_params_set_avail_min(pcm, sw.params, config.periodFrames);
    if (snd_pcm_sw_params(pcm, sw.params) < 0)
        return WaveResult::Error;
    return WaveResult::Ok;
}

}  // namespace

AlsaPcm::~AlsaPcm() {
    if (pcm_)
        snd_pcm_close(pcm_);
}

AlsaPcm& AlsaPcm::operator=(AlsaPcm&& other) noexcept {
    if (this != &other) {
        if (pcm_)
            snd_pcm_close(pcm_);
        pcm_ = other.pcm_;
        other.pcm_ = nullptr;
    }
    return *this;
}

void QuietAlsaErrors() {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(IgnoreAlsaError); });
}

WaveResult OpenAlsaPcm(const std::string& name, snd_pcm_stream_t stream, const PcmFormat& format,
                       bool resample, AlsaPcm* pcm, AlsaPcmConfig* config) {
    QuietAlsaErrors();
    snd_pcm_t* raw = nullptr;
    const int opened = snd_pcm_open(&raw, name.c_str(), stream, SND_PCM_NONBLOCK);
    if (opened == -EBUSY)
        return WaveResult::Allocated;
    if (opened < 0 || !raw)
        return WaveResult::BadDevice;
    AlsaPcm handle(raw);
    WaveResult result = ConfigureHardware(raw, format, resample, config);
    if (result == WaveResult::Ok)
        result = ConfigureSoftware(raw, *config);
    if (result == WaveResult::Ok && snd_pcm_prepare(raw) < 0)
        result = WaveResult::Error;
    if (result == WaveResult::Ok)
        *pcm = std::move(handle);
    return result;
}

}  // namespace orvia
