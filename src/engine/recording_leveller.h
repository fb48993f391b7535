// Where a finished recording goes for level control. The engine hands over
// each recording it made (a message, a greeting, a "record" action's file)
// when the next recording starts or the call ends; the program wires this to
// its background level-control queue.
#pragma once

#include <string>

namespace orvia {

class RecordingLeveller {
public:
    virtual ~RecordingLeveller() = default;
    // Queues the recording at path (a full path). Called on the main thread;
    // must not wait for the levelling itself.
    virtual void Enqueue(const std::string& path) = 0;
    // How many recordings wait to be levelled (for the program's status).
    virtual int Waiting() const { return 0; }
};

}  // namespace orvia
