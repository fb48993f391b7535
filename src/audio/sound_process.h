// Processes: sources that wrap an input source. A process owns a counted
// reference to its input, so releasing the last handle of a chain frees every
// stage from the outside in.
#pragma once

#include "audio/sound_source.h"

namespace orvia {

class LSoundProcessBase : public LSoundSourceBase {
public:
    void Seek(int32_t frame) override;
    int32_t GetPosition() override;
    int32_t GetLength() override;

    const LSoundSource& Input() const { return input; }

protected:
    // Takes rate, full scale and channels from the input (44100, 2097152 and 1
    // without one); invalid when the input is empty or invalid.
    explicit LSoundProcessBase(const LSoundSource& inputSource);

    LSoundSource input;
};

// A descriptor of one processing step: builds the processing source around
// an input and stores it into result.
class LSoundProcess {
public:
    virtual ~LSoundProcess() = default;
    virtual void Apply(LSoundSource& result, const LSoundSource& input) const = 0;
};

}  // namespace orvia
