// What the OGM editor and the mailbox dialog need besides their files: a
// player for "Play" on the computer, and the background level-control queue
// that every new OGM recording and greeting is handed to.
//
// Main thread only.
#pragma once

namespace orvia {

class DesktopPlayback;
class RecordingLeveller;

struct AudioServices {
    DesktopPlayback& playback;
    RecordingLeveller& leveller;
};

}  // namespace orvia
