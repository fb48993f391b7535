// What a line does with the call's audio, for a transcript of the call (`orvia
// simulate`). Reports come on the main thread as the line acts.
#pragma once

#include <cstdint>

#include "audio/sound_source.h"

namespace orvia {

class LLineObserver {
public:
    virtual ~LLineObserver() = default;
    // A play starts (started false: the source could not be played).
    virtual void OnLinePlay(const LSoundSource& source, bool started) {
        (void)source, (void)started;
    }
    // A wait of ticks starts.
    virtual void OnLineWait(int32_t ticks) { (void)ticks; }
    // Recording into the sink starts (started false: the recorder could not
    // start).
    virtual void OnLineRecord(const LSoundSink& sink, bool started) { (void)sink, (void)started; }
    // Recording into the sink ended; lengthTicks is what the file keeps.
    virtual void OnLineRecordStop(const LSoundSink& sink, int32_t lengthTicks) {
        (void)sink, (void)lengthTicks;
    }
};

}  // namespace orvia
