// The configuration check behind `orvia check`: everything the program would
// find wrong with its data folder, found without running it.
//
// - telephony.ini: sections without a type or of an unknown type, keys the
//   provider does not know, values it cannot use (a bad address), devices
//   listening on the same address, a listen address in use right now (only
//   probed while no instance runs on the data folder: a running one holds
//   its own addresses);
// - the lines of settings.ini: devices that do not exist, are not voice
//   capable or are used twice, and no line at all;
// - settings.ini: values outside the ranges the settings sheet offers or the
//   engine keeps to, answering switched off, mail needed by a mailbox but no
//   SMTP server (or an unusable one);
// - the call flow: every finding of AnalyzeCallFlow (engine/
//   call_flow_analysis.h) over the OGMs and mailboxes, and mailbox addresses
//   that are not plain mail addresses;
// - the system prompts: each must play.
//
// The telephony providers must be registered first. Main thread.
#pragma once

#include <string>
#include <vector>

#include "engine/call_flow_analysis.h"

namespace orvia {

struct CheckFinding {
    FindingSeverity severity = FindingSeverity::Error;
    std::string file;     // full path
    std::string section;  // empty: the file as a whole
    std::string key;      // empty: the section as a whole
    std::string text;
};

struct CheckOptions {
    // Try to bind each listen address (only useful while Orvia is not running).
    bool probeListenAddresses = true;
};

std::vector<CheckFinding> CheckConfiguration(const CheckOptions& options = {});

// The findings of telephony.ini and of the lines of settings.ini (part of
// CheckConfiguration).
std::vector<CheckFinding> CheckTelephony(const CheckOptions& options);

// One line: "error: settings.ini [smtp] server: text", the file relative to
// dataFolder when it lies inside it.
std::string FormatFinding(const CheckFinding& finding, const std::string& dataFolder);

}  // namespace orvia
