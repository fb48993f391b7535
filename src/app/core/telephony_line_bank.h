// The program's lines: one LLine per configured "line%d" section, set up by
// the line subsystem over the telephony devices (LLineApplication), each
// with its own engine (IVRCMain) as owner cell. Finished recordings of the
// engines go to the level-control queue.
//
// Main thread only.
#pragma once

#include <memory>
#include <vector>

#include "app/core/line_bank.h"
#include "engine/recording_leveller.h"
#include "line/line.h"
#include "line/line_application.h"

namespace orvia {

class TelephonyLineBank : public LineBank {
public:
    // leveller may be null (recordings are then not levelled).
    explicit TelephonyLineBank(LLineApplication& application = LLineApplication::Instance(),
                               RecordingLeveller* leveller = nullptr);
    ~TelephonyLineBank() override;

    int SetUp(IVRCNotify* notify) override;
    void Destroy() override;
    int Count() const override { return static_cast<int>(lines_.size()); }
    ForwardingLine* FirstLine() override;
    std::vector<LineStatus> Status() const override;

    // The line objects, in section order (tests drive their calls).
    LLine* Line(int position) const;

private:
    // The first line, and with it the other channels of its account (a SIP
    // account with several channels): a forwarding call goes out on the
    // first of them that is free.
    class FirstLineAdapter : public ForwardingLine {
    public:
        explicit FirstLineAdapter(TelephonyLineBank& bank) : bank_(bank) {}
        bool IsOpen() const override;
        bool IsBusy() const override;
        void MakeCall(const std::string& number) override;

    private:
        // The first line and the open lines on channels of its account.
        std::vector<LLine*> Lines() const;
        TelephonyLineBank& bank_;
    };

    LLineApplication& application_;
    RecordingLeveller* leveller_;
    std::vector<std::unique_ptr<LLine>> lines_;
    FirstLineAdapter first_{*this};
};

// Hands recordings to the process's level-control queue (BGALC).
class QueueLeveller : public RecordingLeveller {
public:
    void Enqueue(const std::string& path) override;
    int Waiting() const override;
};

}  // namespace orvia
