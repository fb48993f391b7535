// A button that plays a recording on the computer ("playdevice" at
// "playvolume") and stays down while it plays; pressed again, it stops. The
// OGM list's "&Play", the Message page's "Play Message" and the mailbox
// dialog's "Play Greeting" are made of it.
//
// The player tells one listener when playing starts and stops: the toggle
// takes it over when made and when Attach is called (after a dialog that
// used the same player has closed), and lets it go when destroyed, stopping
// what it played.
//
// Main thread only.
#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <vector>

class QAbstractButton;

namespace orvia {

class DesktopPlayback;

class PlayToggle : public QObject {
    Q_OBJECT

public:
    // files: what to play, in order of preference (the first that plays).
    PlayToggle(QAbstractButton* button, DesktopPlayback& playback,
               std::function<std::vector<std::string>()> files);
    ~PlayToggle() override;

    void Attach();
    void Stop();
    bool IsPlaying() const;

private:
    void Toggle();

    QAbstractButton* button_;
    DesktopPlayback& playback_;
    std::function<std::vector<std::string>()> files_;
};

}  // namespace orvia
