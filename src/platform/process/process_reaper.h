// Collects the children the program no longer waits for.
//
// A plug-in that is abandoned (its output no longer wanted) or a desktop helper
// started detached keeps running on its own; when it ends it must still be
// waited for, or it stays a zombie. The program never installs a SIGCHLD
// handler (that would steal the exit status of children other code waits
// for); instead the reaper waits for exactly the children handed to it.
//
// While it holds children it runs one thread of its own that sleeps in poll()
// on each child's pidfd (falling back to a 100 ms waitpid(WNOHANG) check where
// pidfds are not available) and ends once every child has been reaped. The
// reaper lives for the whole process and is never destroyed, so children may
// be handed over from any destructor, however late. Any thread may call it.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

namespace orvia {

class ChildReaper {
public:
    static ChildReaper& Instance();

    ChildReaper(const ChildReaper&) = delete;
    ChildReaper& operator=(const ChildReaper&) = delete;

    // Takes over a child of this process that nobody else will wait for, with
    // its pidfd (or -1), which the reaper closes once the child is reaped.
    void Adopt(pid_t pid, int pidfd);
    // Children handed over and not yet reaped.
    std::size_t PendingCount();

private:
    struct Child {
        pid_t pid;
        int pidfd;
    };

    ChildReaper();
    ~ChildReaper() = delete;  // lives until the process ends
    void Loop();
    // Reaps every child that has ended; true when none is left.
    bool ReapEnded();

    std::mutex mutex_;
    std::vector<Child> children_;
    std::thread thread_;
    bool running_ = false;
    int wakeFd_ = -1;  // eventfd that makes the thread look at new children
};

}  // namespace orvia
