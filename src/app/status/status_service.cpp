#include "app/status/status_service.h"

#include <chrono>
#include <future>

#include "app/core/main_dialog.h"
#include "app/status/program_status.h"
#include "platform/dispatch/dispatcher.h"

namespace orvia {

StatusService::StatusService(Dispatcher& dispatcher) : dispatcher_(dispatcher) {}

void StatusService::Attach(const MainDialog* app) {
    std::lock_guard<std::mutex> guard(shared_->mutex);
    shared_->app = app;
}

std::string StatusService::Answer(const std::string& request) {
    const bool json = request == "status json";
    if (!json && request != "status text")
        return "error: unknown request \"" + request + "\"\n";
    {
        std::lock_guard<std::mutex> guard(shared_->mutex);
        if (shared_->app == nullptr)
            return "error: Orvia is starting or stopping; ask again in a moment\n";
    }
    auto answer = std::make_shared<std::promise<std::string>>();
    std::future<std::string> future = answer->get_future();
    dispatcher_.Post([shared = shared_, answer, json] {
        std::lock_guard<std::mutex> guard(shared->mutex);
        if (shared->app == nullptr) {
            answer->set_value("error: Orvia is stopping\n");
            return;
        }
        const ProgramStatus status = shared->app->Status();
        answer->set_value(json ? FormatStatusJson(status) : FormatStatusText(status));
    });
    if (future.wait_for(std::chrono::milliseconds(kStatusAnswerMs)) != std::future_status::ready)
        return "error: Orvia did not answer within " + std::to_string(kStatusAnswerMs / 1000) +
               " s (its main thread is busy)\n";
    return future.get();
}

}  // namespace orvia
