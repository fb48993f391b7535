// LTTSWaveDialog: synthesis of a text into a WAVE file inside the progress
// window "Synthesize Voice" ("Synthesizing Voice", "Please wait...") with a
// working Cancel. The bar creeps towards the end as the engine works
// (remaining = remaining x (1 - 10 / length) at each step).
//
// No engine or no voice says "Engine Not Available"; a file that cannot be
// written says so too. A cancelled synthesis leaves no file under the path.
//
// Main thread only (the synthesis runs on it, between window events).
#pragma once

#include <string>

class QWidget;

namespace orvia {

// True when the file holds the speech.
bool SynthesizeWithProgress(QWidget* parent, const std::string& text, int engineIndex,
                            const std::string& path);

}  // namespace orvia
