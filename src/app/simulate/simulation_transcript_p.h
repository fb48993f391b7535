// The transcript of a scripted call: one line per event, in the order the
// events happen, each but the ring lines with the call-audio time counted
// from the connection:
//
//   ring 1 declined
//   ring 3 answered
//   T+0000.000 connected
//   T+0000.000 play OGMs/Default Answering Message.wav
//   T+0004.200 wait 6.000
//   T+0005.000 key 1
//   T+0005.000 record MailBoxes/Sales ICM000001.wav
//   T+0012.000 record-stop MailBoxes/Sales ICM000001.wav 6.600
//   T+0012.000 hangup system
//   T+0012.000 end
//   file MailBoxes/Sales ICM000001.ini
//   file MailBoxes/Sales ICM000001.wav 6.600
//
// Paths inside the data folder are shown relative to it. After "end" come
// the files the call added or changed (with the length in seconds of WAVE
// files) and "deleted PATH" for files it removed; the Logs folder is left
// out.
//
// Main thread only.
#pragma once

#include <cstdint>
#include <map>
#include <ostream>
#include <string>

#include "app/simulate/folder_watch_p.h"
#include "engine/ivr_notify.h"
#include "line/line_observer.h"
#include "platform/scripted/scripted_call_observer.h"
#include "platform/scripted/scripted_device.h"

namespace orvia {

class SimulationTranscript : public ScriptedCallObserver, public LLineObserver, public IVRCNotify {
public:
    SimulationTranscript(std::ostream& out, const ScriptedDevice& device, std::string dataFolder,
                         std::string logsFolder);

    // Remembers the data folder's files as they are before the call.
    void Begin();
    // Lists what the call left behind.
    void ListFiles();

    // The engine opened a file to play (opened false: it could not).
    void FileOpened(const std::string& path, bool opened);
    // The engine asked the desktop to open a document (not done here).
    void DocumentOpened(const std::string& target);

    // ScriptedCallObserver.
    void OnRing(int count, bool answered) override;
    void OnConnected() override;
    void OnCallerAction(const CallerAction& action) override;
    void OnKey(char key) override;
    void OnDial(const std::string& digits, bool accepted) override;
    void OnTransfer(const std::string& number) override;
    void OnHandoff(DetectedMedia media, bool handedOff) override;
    void OnHangUp(bool bySystem) override;
    void OnEnd() override;

    // LLineObserver.
    void OnLinePlay(const LSoundSource& source, bool started) override;
    void OnLineWait(int32_t ticks) override;
    void OnLineRecord(const LSoundSink& sink, bool started) override;
    void OnLineRecordStop(const LSoundSink& sink, int32_t lengthTicks) override;

    // IVRCNotify: the engine's notices to the main window.
    void Send(int message, std::string& text) override;
    void Post(int message) override;

    // "T+0012.345" for a time in milliseconds.
    static std::string FormatTime(int64_t ms);
    // "6.600" for a duration in ticks.
    static std::string FormatTicks(int64_t ticks);

private:
    void Event(const std::string& text);
    std::string Shown(const std::string& path) const;
    // The WAVE file a recording that starts now writes to.
    std::string RecordingFile();

    std::ostream& out_;
    const ScriptedDevice& device_;
    const std::string data_;
    const std::string logs_;
    FolderWatch::Snapshot begin_;
    FolderWatch::Snapshot lastLook_;
    std::string lastRecording_;
    // The file the engine opened for the next play, and the first it failed
    // to open since the last play.
    std::string opened_;
    std::string missing_;
    std::map<const LSoundSinkBase*, std::string> recordings_;
};

}  // namespace orvia
