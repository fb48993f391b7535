// The running program's side of `orvia status`: answers the queries that
// arrive on the single-instance socket ("status text", "status json").
//
// The socket's listening thread hands each query to the main thread, where
// the application object makes its status (MainDialog::Status), and waits
// for the answer at most kStatusAnswerMs; a main thread that cannot get to
// it in time, or a program still starting or already stopping, gives an
// answer beginning with "error: ".
//
// Threads: Answer on the listening thread; Attach on the main thread.
#pragma once

#include <memory>
#include <mutex>
#include <string>

namespace orvia {

class Dispatcher;
class MainDialog;

inline constexpr int kStatusAnswerMs = 3000;

class StatusService {
public:
    // dispatcher must outlive every Answer.
    explicit StatusService(Dispatcher& dispatcher);

    // The application object that makes the status; null before it exists
    // and once it is going.
    void Attach(const MainDialog* app);

    // The answer to one request.
    std::string Answer(const std::string& request);

private:
    struct Shared {
        std::mutex mutex;
        const MainDialog* app = nullptr;
    };

    Dispatcher& dispatcher_;
    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
};

}  // namespace orvia
