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
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "audio/sound_source.h"
#include "engine/ivr_notify.h"
#include "engine/ivr_state.h"
#include "engine/ivr_variables.h"
#include "engine/message_search.h"
#include "engine/number_entry.h"
#include "engine/plugin_pipe.h"
#include "engine/recording_leveller.h"
#include "engine/template.h"
#include "line/ivr_cell.h"

namespace orvia {

class IVRCMain : public LIVRCell {
public:
    // notify is the main window; null when there is none (nothing is sent).
    // leveller takes finished recordings; null: they are left as recorded.
    IVRCMain(uint8_t lineIndex, IVRCNotify* notify, RecordingLeveller* leveller = nullptr);
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
    // How files become sources (`orvia simulate` and tests may replace them).
    virtual LSoundSource OpenWave(const std::string& path);
    virtual LSoundSource OpenMp3(const std::string& path);
    // Opens a file or URL with the desktop's default handler, detached and
    // never awaited ("open" without "openplugin").
    virtual void OpenDocument(const std::string& pathOrUrl);
    // How long the engine waits for a plug-in's output.
    virtual int PluginReadBoundMs() const { return kPluginReadBoundMs; }
    // Whether the output is awaited on a thread of its own (with a current
    // dispatcher), so the main thread goes on; else it is read at once.
    virtual bool PluginOutputInBackground() const { return true; }

private:
    // The OGM and what the engine plays.
    void StartOGM();
    void PlayOGM();
    void PlayPrompt(std::string_view name);
    void PlaySource(const LSoundSource& source);
    void WaitTicks(int64_t ticks);
    // Runs a line operation that plays something audible (or not); it counts
    // as heard when the line has not ended it before returning.
    void StartAudio(bool audible, const std::function<void()>& start);
    void Goodbye();
    void InvalidOption();
    void InvalidNumber();
    // Entry side effects of the current OGM: special log line, announcement,
    // then the file, program or plug-in of "open".
    void RunEntryEffects();
    void RunOpenEffect();
    // At the end of a play: reads an open plug-in pipe's output into call
    // variables (or closes it unread when "openplugin" is off now). True when
    // the output is being awaited: OnPluginOutput then finishes the play's end.
    bool ReadPluginOutput();
    void OnPluginOutput(const PluginOutput& output);
    void UsePluginOutput(const PluginOutput& output);
    // What the end of a play leads to, by state.
    void HandlePlayComplete();
    // Makes the OGM the call may enter for name current; false when refused.
    bool SelectOGM(std::string_view name);

    // Keys and actions.
    void OnOgmKey(char key);
    void OnNumberKey(char key);
    // Runs the action stored under key in section of file; false when it is
    // not handled (nothing changed).
    bool DoAction(const std::string& file, std::string_view section, std::string_view key);
    std::string ReadArgument(const std::string& file, std::string_view section,
                             std::string_view key, std::string_view suffix) const;
    bool PlayFileAction(const std::string& file, std::string_view section, std::string_view key);
    bool RecordFileAction(const std::string& file, std::string_view section, std::string_view key);

    // Transfers (ivr_transfer.cpp).
    void BlindTransfer(const std::string& file, std::string_view section, std::string_view key);
    void ConfirmedTransfer(const std::string& file, std::string_view section, std::string_view key);
    void AskTransferQuery();
    void OnTransferAnswer(char key);
    void RejectTransfer();
    void OnRejectDialled();

    // Mailboxes and messages (ivr_mailbox.cpp).
    bool LeaveMessage(const std::string& file, std::string_view section, std::string_view key);
    void StartMessageRecording();
    void FinishMessage();
    void RecordTo(const std::string& path);
    void SetCurrentMailbox(std::string path);
    std::string CurrentMailboxName() const;

    // Remote mailbox access (ivr_remote.cpp).
    void StartAccessCode();
    void OnAccessCodeKey(char key);
    // A wrong code: counted, logged, and the caller told (or sent away).
    void WrongAccessCode(const std::vector<std::string>& charged, bool matchedLocked);
    void StartMessages();
    void PlayCurrentMessage();
    void NextMessage();
    void DeleteCurrentMessage();
    void OnMessageMenuKey(char key);
    void StartSetupMenu();
    void PlayGreeting();
    void StartGreetingRecording();
    void OnSetupKey(char key);
    void OnForwardingKey(char key);

    // Hands a non-empty record path to the level-control queue and clears it.
    void HandOffRecordPath();

    // The program's events about this line's calls (ivr_report.cpp).
    // "Line 1 [line0]".
    std::string LineLabel() const;
    // "call from 5551234 Jane Doe", "call from an unknown caller".
    std::string CallLabel() const;
    // "OGM "Sales"" for the current OGM.
    std::string OgmLabel() const;
    // A file that did not play and why, said once per call and file.
    void ReportUnplayable(const std::string& what, const std::string& path, bool mp3);
    void ReportAnswer(bool answered, bool answeringOn, const std::string& ogmName);
    void ReportCallEnd();

    TemplateContext Context() const;
    void Send(int message, std::string& text);
    void Post(int message);
    std::string ReadOgm(std::string_view key, std::string_view def) const;
    int32_t ReadOgmInt(std::string_view key, int32_t def) const;
    bool ReadOgmBool(std::string_view key, bool def) const;

    IVRCNotify* notify_;
    RecordingLeveller* leveller_;
    uint8_t lineIndex_;
    std::string section_;  // "line%d"
    // Full path of the current OGM's definition file; empty when none.
    std::string currentOgm_;
    IVRMode mode_ = IVRMode::None;
    IVRState state_ = IVRState::Idle;
    // Remaining repeats of the OGM, of the "TransferQuery" question or of the
    // "ForwardMessage" prompt.
    uint8_t counter_ = 0;
    std::string digits_;  // at most kMaxEnteredDigits
    // Wrong access codes entered in this call.
    int wrongCodes_ = 0;
    // The action run when a confirmed transfer is rejected.
    struct TransferFail {
        std::string file;
        std::string section;
        std::string key;
    } transferFail_;
    // Full path of the current mailbox's ".mbx" file.
    std::string currentMailbox_;
    // The file being recorded or last recorded; handed to level control at
    // the end of the call.
    std::string recordPath_;
    // The messages of the current mailbox being played to its owner.
    MessageSearch messages_;
    IVRVariables variables_;
    // Standard output of a plug-in started by "open"; read at the next end of
    // a play.
    PluginPipe plugin_;
    std::string pluginCommand_;  // its program, for the events
    // The call in progress: when it was answered or connected (0: none), and
    // the files already said not to play during it.
    int64_t callStart_ = 0;
    std::set<std::string> unplayableSaid_;
    // OGMs entered in a row with nothing heard, and whether anything was
    // heard (played, keyed or recorded) since the last OGM began.
    int silentSteps_ = 0;
    bool heardSinceOgm_ = false;
    // Plays and waits the line has reported ended.
    uint32_t audioEnded_ = 0;
    // The end of a play waits for a plug-in's output; keys pressed meanwhile.
    bool waitingForPlugin_ = false;
    std::string heldKeys_;
};

}  // namespace orvia
