// LIVRCell: the call-handler interface. A line reports every event of its
// call to one handler (its active cell), which answers by calling the line's
// operations. The engine of each line derives from it.
//
// Main thread only, like the line that drives it.
#pragma once

#include <cstdint>

namespace orvia {

class LVLine;

class LIVRCell {
public:
    LIVRCell() = default;
    LIVRCell(const LIVRCell&) = delete;
    LIVRCell& operator=(const LIVRCell&) = delete;
    virtual ~LIVRCell() = default;

    // A ring of an offered call (count as the line counts them); true answers
    // the call now.
    virtual bool OnRing(int32_t count);
    // The call connected (or this cell became the active one during a call).
    virtual void OnConnected() = 0;
    // A key: '0'..'9', '*', '#', 'A'..'D'.
    virtual void OnDigit(char key);
    // A GenerateDigits has finished; the base hangs up.
    virtual void OnDialComplete();
    // A Play has reached its end; the base hangs up.
    virtual void OnPlayComplete();
    // A Wait has run out; the base hangs up.
    virtual void OnWaitComplete();
    // Position of the running recording, in ticks of 0.1 ms.
    virtual void OnRecordPosition(uint32_t ticks);
    // Peak level of the caller while recording, in dB (-127 = silence).
    virtual void OnRecordLevel(int8_t db);
    virtual void OnPlayPosition(uint32_t ticks);
    virtual void OnPlayLevel(int8_t db);
    // A fax calling tone was detected.
    virtual void OnFaxTone();
    // The call is over.
    virtual void OnDisconnected();

    // The line this cell is attached to; null while detached.
    LVLine* Line() const { return line_; }

protected:
    // Drops the call when a line is attached.
    void HangUp();

private:
    friend class LVLine;
    LVLine* line_ = nullptr;
};

}  // namespace orvia
