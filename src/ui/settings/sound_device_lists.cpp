#include "ui/settings/sound_device_lists.h"

#include <QComboBox>
#include <algorithm>

#include "audio/playback/sound_player.h"
#include "audio/playback/sound_recorder.h"
#include "platform/wave/wave_registry.h"

namespace orvia {
namespace {

constexpr int kMaxSoundDevices = 127;

}  // namespace

void FillPlayDevices(QComboBox* combo) {
    combo->clear();
    const int count = std::min(WaveOutDeviceCount(), kMaxSoundDevices);
    for (int id = 0; id < count; ++id)
        combo->addItem(QString::fromStdString(LSoundPlayer::GetDeviceName(id)));
}

void FillRecordDevices(QComboBox* combo) {
    combo->clear();
    const int count = std::min(WaveInDeviceCount(), kMaxSoundDevices);
    for (int id = 0; id < count; ++id)
        combo->addItem(QString::fromStdString(LSoundRecorder::GetDeviceName(id)));
}

}  // namespace orvia
