// IVRCMain: runs the calls of one line as a state machine. The line reports
// every event through the LIVRCell interface; the engine answers with the
// line's operations. OGM definitions, mailbox files and settings.ini are read
// from disk at each step, so edits take effect at the next read.
//
// Main thread only. The engine takes no locks and keeps no threads; its calls
// into the line may call back into it before they return (a play that cannot
// start completes at once), so every state change is made before the line
// operation that may trigger the next event.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "audio/sound_source.h"
#include "engine/ivr_notify.h"
#include "engine/ivr_state.h"
#include "engine/ivr_variables.h"
#include "engine/number_entry.h"
#include "engine/template.h"
#include "line/ivr_cell.h"

namespace orvia {

class IVRCMain : public LIVRCell {
public:
    // notify is the main window; null when there is none (nothing is sent).
    IVRCMain(uint8_t lineIndex, IVRCNotify* notify);
    ~IVRCMain() override;

    bool OnRing(int32_t count) override;
    void OnConnected() override;
    void OnDigit(char key) override;
    void OnDialComplete() override;
    void OnPlayComplete() override;
    void OnWaitComplete() override;
    void OnFaxTone() override;
    void OnDisconnected() override;

protected:
    // How files become sources (the simulator and tests may replace them).
    virtual LSoundSource OpenWave(const std::string& path);
    virtual LSoundSource OpenMp3(const std::string& path);

private:
    // The OGM and what the engine plays.
    void StartOGM();
    void PlayOGM();
    void PlayPrompt(std::string_view name);
    void PlaySource(const LSoundSource& source);
    void WaitTicks(int64_t ticks);
    void Goodbye();
    void InvalidOption();
    void InvalidNumber();
    // Entry side effects of the current OGM: special log line, announcement.
    void RunEntryEffects();
    // Makes the OGM the call may enter for name current; false when refused.
    bool SelectOGM(std::string_view name);

    // Keys and actions.
    void OnOgmKey(char key);
    void OnNumberKey(char key);
    // Runs the action stored under key in section of file; false when it is
    // not handled (nothing changed).
    bool DoAction(const std::string& file, std::string_view section, std::string_view key);

    // End of call.
    void HandOffRecordPath();

    TemplateContext Context() const;
    void Send(int message, std::string& text);
    std::string ReadOgm(std::string_view key, std::string_view def) const;
    int32_t ReadOgmInt(std::string_view key, int32_t def) const;
    bool ReadOgmBool(std::string_view key, bool def) const;

    IVRCNotify* notify_;
    uint8_t lineIndex_;
    std::string section_;  // "line%d"
    // Full path of the current OGM's definition file; empty when none.
    std::string currentOgm_;
    IVRMode mode_ = IVRMode::None;
    IVRState state_ = IVRState::Idle;
    // Remaining repeats of the OGM or of the "ForwardMessage" prompt.
    uint8_t counter_ = 0;
    std::string digits_;  // at most kMaxEnteredDigits
    // Full path of the current mailbox's ".mbx" file.
    std::string currentMailbox_;
    // The file being recorded or last recorded; handed to level control at
    // the end of the call.
    std::string recordPath_;
    IVRVariables variables_;
    // Mailbox messages, remote access, transfers and plug-ins add their own
    // per-call fields (message search, transfer-fail context, plug-in pipe).
};

}  // namespace orvia
