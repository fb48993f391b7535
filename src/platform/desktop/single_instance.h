// One running instance per user and data folder.
//
// The running instance listens on a local (AF_UNIX) stream socket in the
// user's runtime folder, named "orvia-<hash>.sock" from a 64-bit FNV-1a hash of
// the data folder's canonical path. A later start finds it there, sends it a
// notice (InstanceNotice) and exits.
//
// Who is the running instance is decided by an flock() on "<socket>.lock"
// held for the instance's whole life: the kernel drops it when the process
// ends, crashed or not, and two starts at the same moment cannot both win.
// The instance holding the lock checks any socket file left behind: when a
// connect to it is refused (a crashed instance left it) it is removed and
// replaced. The lock file itself stays (removing lock files reopens the race).
//
// Notices are received on a thread of the instance's own and handed to the
// handler there; the application posts them on to its main thread. Only
// connections from the same user are accepted, each read with a bound so a
// silent client cannot stall the listener.
//
// A SingleInstance belongs to the thread that made it (the entry point).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/desktop/single_instance_notice.h"

namespace orvia {

enum class InstanceClaim {
    First,           // this is the running instance now; notices go to the handler
    AlreadyRunning,  // another instance runs: Send it a notice and exit
    Failed,          // no usable runtime folder or socket
};

class SingleInstance {
public:
    using NoticeHandler = std::function<void(const InstanceNotice&)>;

    // runtimeDir empty: UserRuntimeDir().
    explicit SingleInstance(const std::string& dataFolder, const std::string& runtimeDir = {});
    // Stops listening and removes the socket when this is the running instance.
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Tries to become the running instance. The handler is called on the
    // listening thread for each notice received, until destruction.
    InstanceClaim Claim(NoticeHandler handler);

    // Sends a notice to the running instance, waiting up to waitMs for one
    // that is still starting to listen. False when no instance runs or it
    // cannot be reached.
    bool Send(const InstanceNotice& notice, int waitMs = 2000) const;

    // The socket's full path; empty when no usable runtime folder was found
    // or the path is too long for a local socket.
    const std::string& SocketPath() const { return socketPath_; }

private:
    class Listener;

    bool OtherInstanceHoldsLock() const;

    std::string socketPath_;
    std::string lockPath_;
    int lockFd_ = -1;
    int listenFd_ = -1;
    std::unique_ptr<Listener> listener_;
};

// "orvia-<16 hex digits>.sock" for a data folder, the same for every spelling
// of the same folder (trailing "/", "." and ".." parts, symbolic links).
std::string InstanceSocketName(const std::string& dataFolder);

}  // namespace orvia
