// TestCell: a call handler for line tests. It notes every event it gets in a
// shared journal as "<time> <name>:<event>" (the time from a clock the test
// gives, e.g. a scripted call's audio clock) and lets the test act inside
// the events through hooks.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "line/ivr_cell.h"
#include "line/vline.h"

namespace orvia::test {

class TestCell : public LIVRCell {
public:
    TestCell(std::string name, std::vector<std::string>* journal, std::function<int64_t()> clock)
        : name_(std::move(name)), journal_(journal), clock_(std::move(clock)) {}
    ~TestCell() override { Note("deleted"); }

    bool OnRing(int32_t count) override {
        Note("ring " + std::to_string(count));
        if (onRing)
            onRing(count);
        return answerAt >= 0 && count >= answerAt;
    }
    void OnConnected() override { Event("connected", onConnected); }
    void OnDigit(char key) override {
        Note(std::string("digit ") + key);
        if (onDigit)
            onDigit(key);
    }
    void OnDialComplete() override { Event("dialcomplete", onDialComplete); }
    void OnPlayComplete() override { Event("playcomplete", onPlayComplete); }
    void OnWaitComplete() override { Event("waitcomplete", onWaitComplete); }
    void OnFaxTone() override { Event("faxtone", onFaxTone); }
    void OnDisconnected() override { Event("disconnected", onDisconnected); }

    LVLine& L() { return *Line(); }

    // The ring at which the cell answers; -1 never.
    int answerAt = 1;
    std::function<void(int)> onRing;
    std::function<void()> onConnected;
    std::function<void(char)> onDigit;
    std::function<void()> onDialComplete;
    std::function<void()> onPlayComplete;
    std::function<void()> onWaitComplete;
    std::function<void()> onFaxTone;
    std::function<void()> onDisconnected;

private:
    void Event(const char* what, const std::function<void()>& hook) {
        Note(what);
        if (hook)
            hook();
    }
    void Note(const std::string& what) {
        journal_->push_back(std::to_string(clock_ ? clock_() : 0) + " " + name_ + ":" + what);
    }

    std::string name_;
    std::vector<std::string>* journal_;
    std::function<int64_t()> clock_;
};

}  // namespace orvia::test
