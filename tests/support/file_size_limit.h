// Lowers the process's file size limit (RLIMIT_FSIZE) for a scope: a write
// past it fails, the way writes fail on a full disk, and a write that
// crosses it is cut short at the limit. SIGXFSZ is ignored meanwhile so the
// failure comes back as an error rather than ending the process.
#pragma once

#include <signal.h>
#include <sys/resource.h>

namespace orvia::test {

class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved_;
        lowered.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~ScopedFileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        ::signal(SIGXFSZ, previous_);
    }
    ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
    ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

private:
    rlimit saved_{};
    sighandler_t previous_ = SIG_DFL;
};

}  // namespace orvia::test
