// What a scripted caller does on a call: its caller id, how long it lets the
// line ring, and what it does at given times of the call's audio clock (keys,
// voice, a fax or data tone, a busy tone, hanging up). The same description
// serves the called party of an outgoing call.
//
// Times count on the call-audio clock from the moment the call connects: a
// scripted call runs as fast as the CPU allows, and this clock advances with
// the audio the line plays and records, so every time-dependent rule behaves
// as on a real call.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/telephony/telephony.h"

namespace orvia {

// The call's audio: one channel, 8000 frames per second.
inline constexpr int kScriptedCallRate = 8000;
// Rings come this far apart; the first comes when the call is offered.
inline constexpr int64_t kScriptedRingIntervalMs = 6000;
// The keys of one press action follow each other this far apart.
inline constexpr int64_t kScriptedKeyIntervalMs = 150;
// Default of CallScript::limitMs: ten minutes of call time.
inline constexpr int64_t kScriptedCallLimitMs = 600000;

enum class CallerActionKind {
    Press,    // the keys, kScriptedKeyIntervalMs apart
    Say,      // the voice from now on, then silence
    Silence,  // the caller falls silent
    Fax,      // a fax calling tone is detected
    Data,     // a data modem tone is detected
    Busy,     // the network reports a busy tone (the far end is gone)
    HangUp,   // the caller hangs up
};

struct CallerAction {
    int64_t atMs = 0;
    CallerActionKind kind = CallerActionKind::HangUp;
    std::string keys;  // Press: '0'-'9', '*', '#', 'A'-'D'
    // Say: samples at kScriptedCallRate, one channel, and a name for reports.
    std::shared_ptr<const std::vector<int16_t>> voice;
    std::string label;
};

struct CallScript {
    // Empty number and name: no caller id.
    CallerInfo callerId;
    // Incoming call: the caller gives up after this many rings without an
    // answer. Outgoing call: the called party answers at this ring (0 never).
    int rings = 10;
    // In any order; actions at the same time happen in the order given.
    std::vector<CallerAction> actions;
    // The caller hangs up at this call time if the call still runs.
    int64_t limitMs = kScriptedCallLimitMs;
};

// Call time the line needs to send a dial string: 150 ms a digit, 2 s a
// pause (","), 500 ms a flash ("!").
int64_t ScriptedDialMs(std::string_view digits);
// True when every character can be dialled by GenerateDigits: "0"-"9", "*",
// "#", "A"-"D" (either case), "!" and ",".
bool IsScriptedDialString(std::string_view digits);
// True for a key a caller can press: "0"-"9", "*", "#", "A"-"D".
bool IsScriptedKey(char key);

}  // namespace orvia
