// One running instance per data folder, whoever starts it.
//
// The claim is made on the data folder itself: the running instance holds an
// flock() on "orvia.lock" in the data folder for its whole life. The kernel
// drops it when the process ends, crashed or not, two starts at the same
// moment cannot both win, and a start of any user who can open the lock file
// (it is not private: 0666 less the umask) finds the running instance, even
// one started by another user or by the service. The holder writes its
// process id into the lock file. The lock file itself stays (removing lock
// files reopens the race).
//
// The running instance listens for notices (InstanceNotice) on a local
// (AF_UNIX) stream socket "orvia.sock" in the data folder, or, when that path
// is too long for a socket or the folder refuses it, "orvia-<hash>.sock" in
// the user's runtime folder (the hash is a 64-bit FNV-1a of the data folder's
// canonical path). The socket is 0600 and only notices from the same user or
// from root are taken, so a notice reaches the running instance where
// permissions allow; a start that may not send it is told so
// (NoticeDelivery::NoPermission) rather than left guessing. A socket file
// left by a crashed instance is removed and replaced by the next holder of
// the lock.
//
// Notices are received on a thread of the instance's own and handed to the
// handler there; the application posts them on to its main thread. Each
// client is read with a bound so a silent client cannot stall the listener.
//
// A client may also ask a question ("query <request>\n", for example
// "query status json"): the query handler's answer is written back and the
// connection closed. The handler runs on the listening thread and should
// answer within a few seconds; notices wait meanwhile.
//
// A SingleInstance belongs to the thread that made it (the entry point).
#pragma once

#include <sys/types.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/desktop/single_instance_notice.h"

namespace orvia {

enum class InstanceClaim {
    First,           // this is the running instance now; notices go to the handler
    AlreadyRunning,  // another instance runs: Send it a notice and exit
    Failed,          // the lock file or the socket cannot be used (Problem says why)
};

enum class NoticeDelivery {
    Delivered,
    NotRunning,    // no instance runs (or it is not listening yet and none starts)
    NoPermission,  // one runs, but this user may not reach it
    NoAnswer,      // one runs but its socket does not take the notice
};

class SingleInstance {
public:
    using NoticeHandler = std::function<void(const InstanceNotice&)>;
    // The answer to a query's request (the text after "query ").
    using QueryHandler = std::function<std::string(const std::string& request)>;

    // runtimeDir empty: UserRuntimeDir() (the socket's fallback folder).
    explicit SingleInstance(const std::string& dataFolder, const std::string& runtimeDir = {});
    // Stops listening and removes the socket when this is the running instance.
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Tries to become the running instance. The handler is called on the
    // listening thread for each notice received, the query handler (when
    // given) for each query, until destruction.
    InstanceClaim Claim(NoticeHandler handler, QueryHandler queries = nullptr);

    // Sends a notice to the running instance, waiting up to waitMs for one
    // that is still starting to listen.
    NoticeDelivery SendNotice(const InstanceNotice& notice, int waitMs = 2000) const;
    // SendNotice, true when Delivered.
    bool Send(const InstanceNotice& notice, int waitMs = 2000) const {
        return SendNotice(notice, waitMs) == NoticeDelivery::Delivered;
    }

    // The running instance as "pid 4711, user root" (what is known of it);
    // empty when nothing is.
    std::string DescribeRunningInstance() const;
    // Why the last Claim failed, for the user: "cannot open
    // /var/lib/orvia/orvia.lock: Permission denied".
    const std::string& Problem() const { return problem_; }

    // Asks the running instance; true with its answer in *answer when it
    // answered within waitMs. False when no instance runs, it cannot be
    // reached, or it gave no answer (one that does not take queries).
    bool Query(const std::string& request, std::string* answer, int waitMs = 5000) const;

    // True while another process is the running instance (holds the lock).
    bool OtherInstanceRuns() const { return OtherInstanceHoldsLock(); }

    const std::string& LockPath() const { return lockPath_; }
    // The socket this instance listens on (once First) or would listen on
    // first; empty when no socket path fits.
    const std::string& SocketPath() const { return socketPath_; }

private:
    class Listener;

    bool OtherInstanceHoldsLock() const;
    // The process id the lock file names; 0 when none.
    pid_t LockHolderPid() const;
    // Binds and listens on the first usable socket path; -1 when none is.
    int Listen();

    std::string lockPath_;
    // Where the running instance may listen, in the order tried.
    std::vector<std::string> socketPaths_;
    std::string socketPath_;
    std::string problem_;
    int lockFd_ = -1;
    bool lockWritable_ = false;  // the lock file took our process id
    int listenFd_ = -1;
    std::unique_ptr<Listener> listener_;
};

// The names of the instance's files in the data folder.
inline constexpr const char* kInstanceLockName = "orvia.lock";
inline constexpr const char* kInstanceSocketName = "orvia.sock";

// "orvia-<16 hex digits>.sock" for a data folder, the same for every spelling
// of the same folder (trailing "/", "." and ".." parts, symbolic links): the
// socket's name in the runtime folder.
std::string InstanceSocketName(const std::string& dataFolder);

}  // namespace orvia
