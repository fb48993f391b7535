// `orvia simulate`: runs one call from a call script on a scripted line
// through the real engine, line, player and recorder, against the
// configured data folder (settings, OGMs, mailboxes, prompts), and writes
// its transcript.
//
// The call runs as fast as the CPU allows on the call-audio clock; the wall
// clock the engine sees starts at the script's "clock" (or now) at the first
// ring and runs with the call. Recordings are left as recorded (no level
// control), and documents an OGM would open on the desktop are only named in
// the transcript. Plug-ins run for real.
//
// Main thread only. It installs its own dispatcher and wall-clock source for
// the length of the call.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "app/simulate/simulation_script.h"

namespace orvia {

// Runs the call of the script; false with a reason when it could not run
// (the data folder is missing, the scripted line did not open).
bool RunSimulation(const SimulationScript& script, std::ostream& out, std::string* error);

// The sub-command: args are what follows "simulate" on the command line.
// Returns the program's exit status: 0 when the call ran, 2 for a usage
// error, 1 for a bad script or data folder (with a message on err).
int SimulateCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace orvia
