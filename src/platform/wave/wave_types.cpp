#include "platform/wave/wave_types.h"

namespace orvia {

const char* WaveResultText(WaveResult result) {
    switch (result) {
        case WaveResult::Ok:
            return "no error";
        case WaveResult::BadDevice:
            return "bad device identifier";
        case WaveResult::Allocated:
            return "device already allocated";
        case WaveResult::BadFormat:
            return "unsupported wave format";
        case WaveResult::InvalidParam:
            return "invalid parameter";
        case WaveResult::StillPlaying:
            return "buffer still queued";
        case WaveResult::NoDispatcher:
            return "no dispatcher for notifications";
        case WaveResult::Error:
            break;
    }
    return "device error";
}

}  // namespace orvia
