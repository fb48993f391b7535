#include "audio/sound_process.h"

namespace orvia {

LSoundProcessBase::LSoundProcessBase(const LSoundSource& inputSource)
    : LSoundSourceBase(inputSource ? inputSource->sampleRate : 44100,
                       inputSource ? inputSource->maxSample : kNoInputMaxSample,
                       inputSource ? inputSource->channels : 1),
      input(inputSource) {
    if (orvia::IsInvalid(input))
        flags |= kSoundInvalid;
}

void LSoundProcessBase::Seek(int32_t frame) {
    if (input)
        input->Seek(frame);
}

int32_t LSoundProcessBase::GetPosition() {
    return input ? input->GetPosition() : 0;
}

int32_t LSoundProcessBase::GetLength() {
    return input ? input->GetLength() : 0;
}

}  // namespace orvia
