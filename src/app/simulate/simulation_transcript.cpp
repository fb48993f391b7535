#include "app/simulate/simulation_transcript_p.h"

#include <cinttypes>
#include <cstdio>
#include <utility>

#include "audio/wave_source.h"
#include "platform/text/ascii_text.h"

namespace orvia {
namespace {

bool IsWave(const std::string& path) {
    return EndsWithNoCase(path, ".wav");
}

const char* MediaName(DetectedMedia media) {
    return media == DetectedMedia::Fax ? "fax" : "data";
}

}  // namespace

SimulationTranscript::SimulationTranscript(std::ostream& out, const ScriptedDevice& device,
                                           std::string dataFolder, std::string logsFolder)
    : out_(out), device_(device), data_(std::move(dataFolder)), logs_(std::move(logsFolder)) {}

std::string SimulationTranscript::FormatTime(int64_t ms) {
    char text[48];
    std::snprintf(text, sizeof text, "T+%04" PRId64 ".%03" PRId64, ms / 1000, ms % 1000);
    return text;
}

std::string SimulationTranscript::FormatTicks(int64_t ticks) {
    const int64_t ms = (ticks < 0 ? 0 : ticks) / 10;
    char text[48];
    std::snprintf(text, sizeof text, "%" PRId64 ".%03" PRId64, ms / 1000, ms % 1000);
    return text;
}

void SimulationTranscript::Event(const std::string& text) {
    out_ << FormatTime(device_.CallTimeMs()) << ' ' << text << '\n';
}

std::string SimulationTranscript::Shown(const std::string& path) const {
    if (path.size() > data_.size() && path.compare(0, data_.size(), data_) == 0)
        return path.substr(data_.size());
    return path;
}

void SimulationTranscript::Begin() {
    begin_ = FolderWatch::Take(data_);
    lastLook_ = begin_;
}

void SimulationTranscript::ListFiles() {
    const FolderWatch::Snapshot end = FolderWatch::Take(data_);
    const FolderWatch::Changes changes = FolderWatch::Compare(begin_, end);
    const std::string logs = Shown(logs_);
    auto inLogs = [&](const std::string& path) {
        return !logs.empty() && path.compare(0, logs.size(), logs) == 0;
    };
    std::map<std::string, std::string> lines;  // sorted by path
    for (const auto* list : {&changes.added, &changes.changed}) {
        for (const std::string& path : *list) {
            if (inLogs(path))
                continue;
            std::string line = "file " + path;
            if (IsWave(path)) {
                const LSoundSource source = OpenWaveSource(data_ + path);
                if (!IsInvalid(source) && source->sampleRate > 0) {
                    line += ' ';
                    line += FormatTicks(static_cast<int64_t>(source->GetLength()) * 10000 /
                                        source->sampleRate);
                }
            }
            lines[path] = line;
        }
    }
    for (const std::string& path : changes.removed) {
        if (!inLogs(path))
            lines[path] = "deleted " + path;
    }
    for (const auto& [path, line] : lines)
        out_ << line << '\n';
    out_.flush();
}

void SimulationTranscript::FileOpened(const std::string& path, bool opened) {
    if (opened)
        opened_ = path;
    else if (missing_.empty())
        missing_ = path;
}

void SimulationTranscript::DocumentOpened(const std::string& target) {
    Event("open " + Shown(target));
}

// --- The call.

void SimulationTranscript::OnRing(int count, bool answered) {
    out_ << "ring " << count << (answered ? " answered" : " declined") << '\n';
}

void SimulationTranscript::OnConnected() {
    Event("connected");
}

void SimulationTranscript::OnCallerAction(const CallerAction& action) {
    switch (action.kind) {
        case CallerActionKind::Say:
            Event("say " + action.label);
            return;
        case CallerActionKind::Silence:
            Event("silence");
            return;
        case CallerActionKind::Fax:
            Event("fax");
            return;
        case CallerActionKind::Data:
            Event("data");
            return;
        case CallerActionKind::Busy:
            Event("busy");
            return;
        case CallerActionKind::Press:
        case CallerActionKind::HangUp:
            return;  // keys and the hang-up have their own lines
    }
}

void SimulationTranscript::OnKey(char key) {
    Event(std::string("key ") + key);
}

void SimulationTranscript::OnDial(const std::string& digits, bool accepted) {
    Event((accepted ? "dial " : "dial (refused) ") + digits);
}

void SimulationTranscript::OnTransfer(const std::string& number) {
    Event("transfer " + number);
}

void SimulationTranscript::OnHandoff(DetectedMedia media, bool handedOff) {
    Event(std::string("handoff ") + MediaName(media) + (handedOff ? "" : " (no target)"));
}

void SimulationTranscript::OnHangUp(bool bySystem) {
    Event(bySystem ? "hangup system" : "hangup caller");
}

void SimulationTranscript::OnEnd() {
    Event("end");
    out_.flush();
}

// --- The line.

void SimulationTranscript::OnLinePlay(const LSoundSource& source, bool started) {
    std::string text;
    if (started)
        text = "play " + (opened_.empty() ? std::string("(sound)") : Shown(opened_));
    else if (IsInvalid(source))
        text = "play (missing) " + (missing_.empty() ? std::string("(sound)") : Shown(missing_));
    else
        text = "play (failed) " + (opened_.empty() ? std::string("(sound)") : Shown(opened_));
    opened_.clear();
    missing_.clear();
    Event(text);
}

void SimulationTranscript::OnLineWait(int32_t ticks) {
    Event("wait " + FormatTicks(ticks));
}

std::string SimulationTranscript::RecordingFile() {
    const FolderWatch::Snapshot now = FolderWatch::Take(data_);
    const FolderWatch::Changes changes = FolderWatch::Compare(lastLook_, now);
    lastLook_ = now;
    std::vector<std::string> candidates;
    bool previousChanged = false;
    for (const auto* list : {&changes.added, &changes.changed}) {
        for (const std::string& path : *list) {
            if (!IsWave(path))
                continue;
            // The previous recording's file was completed since the last
            // look; it is the answer only when nothing else is new.
            if (path == lastRecording_)
                previousChanged = true;
            else
                candidates.push_back(path);
        }
    }
    std::string found = FolderWatch::Newest(candidates, now);
    if (found.empty() && previousChanged)
        found = lastRecording_;
    lastRecording_ = found;
    return found.empty() ? std::string("(sink)") : found;
}

void SimulationTranscript::OnLineRecord(const LSoundSink& sink, bool started) {
    const std::string path = RecordingFile();
    if (!started) {
        Event("record (failed) " + path);
        return;
    }
    recordings_[sink.get()] = path;
    Event("record " + path);
}

void SimulationTranscript::OnLineRecordStop(const LSoundSink& sink, int32_t lengthTicks) {
    auto it = recordings_.find(sink.get());
    const std::string path = it == recordings_.end() ? std::string("(sink)") : it->second;
    if (it != recordings_.end())
        recordings_.erase(it);
    Event("record-stop " + path + " " + FormatTicks(lengthTicks));
}

// --- The engine's notices.

void SimulationTranscript::Send(int message, std::string& text) {
    switch (message) {
        case kMsgAnnounceCall:
            Event("announce " + Shown(text));
            return;
        case kMsgMessageStored:
            Event("message-new " + Shown(text));
            return;
        case kMsgMessageHeard:
            Event("message-heard " + Shown(text));
            return;
        case kMsgMessageDeleted:
            Event("message-deleted " + Shown(text));
            return;
        default:
            return;  // caller-id flash, forwarding: nothing to show
    }
}

void SimulationTranscript::Post(int) {}

}  // namespace orvia
