#include "audio/rate_conversion.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "audio/level_math.h"

namespace orvia {
namespace {

// Frames of history read after the first load: the rest of the 8192 behind
// the 31 leading zeros.
constexpr int32_t kFirstLoad = LSRCConvertRate::kHistoryFrames - LSRCConvertRate::kCentreTap;
// Frames read at a refill, behind the kTaps frames kept at the front.
constexpr int32_t kRefill = LSRCConvertRate::kHistoryFrames - LSRCConvertRate::kTaps;
// The first tap's history index above which a refill is due.
constexpr int32_t kLastPosition = kRefill - 1;

// Zeroth-order modified Bessel function by its power series, k = 0..6.
double BesselI0(double x) {
    const double y = x * x / 4.0;
    double term = 1.0, sum = 1.0;
    for (int k = 1; k <= 6; ++k) {
        term *= y / (static_cast<double>(k) * k);
        sum += term;
    }
    return sum;
}

int32_t RoundAway(double v) {
    return static_cast<int32_t>(v + (v < 0 ? -0.5 : 0.5));
}

int64_t FloorDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

int32_t ClampToInt32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

}  // namespace

LSRCConvertRate::LSRCConvertRate(const LSoundSource& inputSource, int32_t outputRate)
    : LSoundProcessBase(inputSource) {
    const int32_t inputRate = sampleRate;
    sampleRate = outputRate;
    if (outputRate < 1) {
        sampleRate = 44100;
        flags |= kSoundInvalid;
    }
    if (maxSample <= 1048576)
        maxSample *= 2;
    if (IsInvalid())
        return;

    // P: the first number of phases whose step S = nearest(q P) is within
    // 0.001 of q P, else the one with the smallest such error up to 255.
    const double q = static_cast<double>(inputRate) / outputRate;
    double best = std::numeric_limits<double>::infinity();
    for (int32_t p = 1; p <= 255; ++p) {
        const double error = std::fabs(q * p - std::floor(q * p + 0.5));
        if (error < best) {
            best = error;
            phases_ = p;
            if (error < 0.001)
                break;
        }
    }
    const double step = std::floor(q * phases_ + 0.5);
    if (q > 4096.0 || step < 1.0) {
        flags |= kSoundInvalid;
        return;
    }
    step_ = static_cast<int32_t>(step);

    BuildFilter(inputRate, outputRate);
    const size_t ch = channels;
    history_.assign(ch * kHistoryFrames, 0);
    inBuffer_.assign(ch * kHistoryFrames, 0);
    keptRaw_.assign(ch * kTaps, 0);
    // Output frame 0 is centred on input frame 0: 31 frames of silence first.
    Load(kCentreTap, kFirstLoad);
}

void LSRCConvertRate::BuildFilter(int32_t inputRate, int32_t outputRate) {
    double fc, beta;
    if (inputRate < outputRate) {
        fc = 0.975;
        beta = 2.12;
    } else {
        fc = static_cast<double>(outputRate) / inputRate - 0.046875;
        beta = 4.538;
    }
    const double i0Beta = BesselI0(beta);
    coefficients_.assign(static_cast<size_t>(phases_) * kStride, 0);
    for (int32_t p = 0; p < phases_; ++p) {
        for (int t = 0; t < kTaps; ++t) {
            const double x = (t - kCentreTap) - static_cast<double>(p) / phases_;
            double c;
            if (x == 0.0) {
                c = 32768.0 * fc;
            } else {
                const double window = BesselI0(beta * std::sqrt(1.0 - x * x / 1024.0)) / i0Beta;
                c = 32768.0 * std::sin(std::numbers::pi * fc * x) / (std::numbers::pi * x) * window;
            }
            coefficients_[static_cast<size_t>(p) * kStride + static_cast<size_t>(t)] = RoundAway(c);
        }
    }
}

void LSRCConvertRate::Load(int32_t keep, int32_t count) {
    const size_t ch = channels;
    input->Read(inBuffer_.data(), count);
    // One shift for the whole history, from the peak of its unshifted values.
    const int64_t peak = std::max(BlockPeak(inBuffer_.data(), static_cast<size_t>(count) * ch),
                                  BlockPeak(keptRaw_.data(), static_cast<size_t>(keep) * ch));
    int s = 0;
    while ((peak >> s) > 32767)
        ++s;
    shift_ = s;
    const int64_t rounding = s > 0 ? (int64_t{1} << (s - 1)) : 0;
    for (size_t c = 0; c < ch; ++c) {
        int32_t* h = history_.data() + c * kHistoryFrames;
        const int32_t* kept = keptRaw_.data() + c * kTaps;
        for (int32_t i = 0; i < keep; ++i)
            h[i] = static_cast<int32_t>((kept[i] + rounding) >> s);
        const int32_t* in = inBuffer_.data() + c;
        for (int32_t i = 0; i < count; ++i)
            h[keep + i] = static_cast<int32_t>((in[static_cast<size_t>(i) * ch] + rounding) >> s);
        // The unshifted last kTaps frames stay for the next refill.
        int32_t* save = keptRaw_.data() + c * kTaps;
        for (int i = 0; i < kTaps; ++i)
            save[i] = in[static_cast<size_t>(count - kTaps + i) * ch];
    }
}

void LSRCConvertRate::Read(int32_t* buffer, int32_t frames) {
    if (frames <= 0)
        return;
    const size_t ch = channels;
    if (IsInvalid()) {
        std::fill(buffer, buffer + static_cast<size_t>(frames) * ch, 0);
        return;
    }
    for (int32_t f = 0; f < frames; ++f) {
        position_ += phase_ / phases_;
        phase_ %= phases_;
        while (position_ > kLastPosition) {
            // Keep the last kTaps frames at the front and read behind them.
            Load(kTaps, kRefill);
            position_ -= kRefill;
        }
        const int32_t* coef = coefficients_.data() + static_cast<size_t>(phase_) * kStride;
        const int outShift = 15 - shift_;
        for (size_t c = 0; c < ch; ++c) {
            const int32_t* h = history_.data() + c * kHistoryFrames + position_;
            int64_t sum = 0;
            for (int t = 0; t < kTaps; ++t)
                sum += static_cast<int64_t>(coef[t]) * h[t];
            int64_t out;
            if (outShift >= 0)
                out = (sum + (outShift > 0 ? int64_t{1} << (outShift - 1) : 0)) >> outShift;
            else
                out = sum * (int64_t{1} << -outShift);
            buffer[static_cast<size_t>(f) * ch + c] = static_cast<int32_t>(out);
        }
        phase_ += step_;
    }
}

void LSRCConvertRate::Seek(int32_t frame) {
    if (IsInvalid())
        return;
    const int64_t t = static_cast<int64_t>(frame) * step_;
    input->Seek(ClampToInt32(FloorDiv(t, phases_) - kCentreTap));
    position_ = 0;
    phase_ = static_cast<int32_t>(t - FloorDiv(t, phases_) * phases_);
    Load(0, kHistoryFrames);
}

int64_t LSRCConvertRate::ScaleToOutput(int64_t inputFrames) const {
    return inputFrames * phases_ / step_;
}

int32_t LSRCConvertRate::GetPosition() {
    if (IsInvalid())
        return LSoundProcessBase::GetPosition();
    const int64_t centre = static_cast<int64_t>(input->GetPosition()) - (kFirstLoad - position_);
    return ClampToInt32(ScaleToOutput(centre));
}

int32_t LSRCConvertRate::GetLength() {
    if (IsInvalid())
        return LSoundProcessBase::GetLength();
    return ClampToInt32(ScaleToOutput(input->GetLength()));
}

void LSPConvertRate::Apply(LSoundSource& result, const LSoundSource& input) const {
    if (IsInvalid(input)) {
        result = input;
        return;
    }
    result = MakeCounted<LSRCConvertRate>(input, sampleRate);
}

}  // namespace orvia
