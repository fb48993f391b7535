// LVLine: the abstract telephone line. Every kind of line (telephony, the
// Call Test Simulator's sound card, test lines) offers the same eight operations to
// its call handler and routes the call's events to one handler, the active
// cell, following the rules below.
//
// Cells: the owner cell is the line's own engine, attached once. The active
// cell receives the call's events; it is the owner again whenever a call
// connects. Another cell can take over during a call (SetActiveCell); when
// that happens while an event is being delivered, the new cell waits as the
// pending cell until the outermost delivery has returned, so a cell is never
// deleted while one of its own operations runs.
//
// Main thread only: the concrete line delivers its events on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "audio/sound_source.h"
#include "line/ivr_cell.h"

namespace orvia {

class LVLine {
public:
    // Longest caller number or name kept (the fields hold 32 bytes with the
    // terminator).
    static constexpr std::size_t kCallerIdMax = 31;

    LVLine() = default;
    LVLine(const LVLine&) = delete;
    LVLine& operator=(const LVLine&) = delete;
    // Deletes the active cell when it is not the owner, then the owner, then
    // the pending cell.
    virtual ~LVLine();

    // --- Operations for the call handler. Durations are ticks of 0.1 ms.
    // Sends the dial string; OnDialComplete follows when the digits are out,
    // or at once when they cannot be sent.
    virtual void GenerateDigits(std::string_view digits) = 0;
    // Transfers the call to number; on failure the line drops the call.
    virtual void BlindTransfer(std::string_view number) = 0;
    // Releases the call; the end of the call (CallEnded) follows.
    virtual void Drop() = 0;
    // Stops what was playing or recording and plays the source to the call;
    // OnPlayComplete follows at its end, or at once when the source cannot be
    // played (an empty or invalid handle).
    virtual void Play(const LSoundSource& source) = 0;
    // Records the caller into the sink until stopped, until maxTicks, or until
    // the level stays below detectDb for silenceTicks (the line then hangs up).
    virtual void Record(const LSoundSink& sink, int32_t maxTicks, int8_t detectDb,
                        int32_t silenceTicks) = 0;
    // Plays silence for ticks; OnWaitComplete follows unless a play or
    // record replaces it.
    virtual void Wait(int32_t ticks) = 0;
    // Stops playing, waiting or recording, without a completion event.
    virtual void Stop() = 0;
    // True while the recorder runs.
    virtual bool IsRecording() = 0;

    // --- Cells.
    // Makes cell the owner. The previous owner is deleted, unless it is the
    // active cell: then it stays active (owned as a non-owner active cell)
    // until another cell replaces it.
    void SetOwner(std::unique_ptr<LIVRCell> cell);
    // Hands the call to cell (none: the call is dropped). Outside an event
    // delivery this happens at once: Stop, the old active cell is deleted
    // unless it is the owner, and the new one gets OnConnected. During a
    // delivery cell becomes the pending cell (replacing and deleting an earlier
    // pending one; none cancels it) and takes over when the outermost delivery
    // ends.
    void SetActiveCell(std::unique_ptr<LIVRCell> cell);
    LIVRCell* Owner() const { return owner_.get(); }
    LIVRCell* ActiveCell() const { return active_; }
    bool HasPendingCell() const { return pending_ != nullptr; }

    // --- Call progress, for the concrete line.
    // Asks the owner whether to answer at this ring; false without an owner.
    bool Ring(int32_t count);
    // The call connected: the owner becomes the active cell (a non-owner
    // active cell first gets the end of the call) and gets OnConnected.
    void CallConnected();
    // The call is over: the active cell gets OnDisconnected, a pending cell is
    // dropped, and the active cell is deleted unless it is the owner. With no
    // active cell (the call never connected) the owner gets OnDisconnected.
    void CallEnded();

    // --- Event delivery, for the concrete line: each reaches the active cell,
    // and is dropped when there is none (OnPlayLevel then hangs up).
    void OnDigit(char key);
    void OnDialComplete();
    void OnPlayComplete();
    void OnWaitComplete();
    void OnRecordPosition(uint32_t ticks);
    void OnRecordLevel(int8_t db);
    void OnPlayPosition(uint32_t ticks);
    void OnPlayLevel(int8_t db);
    void OnFaxTone();

    // --- Caller id of the current call, as the telephony service reported it.
    const std::string& CallerNumber() const { return callerNumber_; }
    const std::string& CallerName() const { return callerName_; }
    // Stores both fields, each cut to kCallerIdMax bytes without splitting a
    // character. Only printable characters are kept (PrintableUtf8): the
    // texts go into logs and on-screen notices.
    void SetCallerId(std::string_view number, std::string_view name);
    void ClearCallerId();

private:
    template <class Event>
    void Deliver(Event&& event);
    void EndDispatch();
    // Deletes a cell now, or at the end of the outermost delivery when one
    // runs (the cell may be on the call stack).
    void Retire(std::unique_ptr<LIVRCell> cell);
    // Makes cell the active one (owned by the line), retiring the previous
    // active cell unless it is the owner.
    void ReplaceActive(std::unique_ptr<LIVRCell> cell);

    std::unique_ptr<LIVRCell> owner_;
    // The active cell when it is not the owner (owned here).
    std::unique_ptr<LIVRCell> guest_;
    // The active cell: owner_, guest_ or none.
    LIVRCell* active_ = nullptr;
    std::unique_ptr<LIVRCell> pending_;
    // Event deliveries in progress. Not limited to 8 bits: a saturated count
    // would end a delivery early and delete a running cell.
    uint32_t depth_ = 0;
    std::vector<std::unique_ptr<LIVRCell>> retired_;
    std::string callerNumber_;
    std::string callerName_;
};

}  // namespace orvia
