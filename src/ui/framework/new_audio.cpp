#include "ui/framework/new_audio.h"

#include "platform/thread/thread_affinity.h"

namespace orvia {

namespace {
NewAudio* installed = nullptr;
}  // namespace

NewAudio& CurrentNewAudio() {
    ORVIA_ASSERT_MAIN_THREAD();
    static NewAudio none;
    return installed ? *installed : none;
}

void SetNewAudio(NewAudio* sources) {
    ORVIA_ASSERT_MAIN_THREAD();
    installed = sources;
}

}  // namespace orvia
