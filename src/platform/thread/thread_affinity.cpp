#include "platform/thread/thread_affinity.h"

#include <atomic>
#include <thread>

namespace orvia {
namespace {
std::atomic<std::thread::id> g_mainThread{};
}

void MarkMainThread() {
    g_mainThread = std::this_thread::get_id();
}

bool IsMainThread() {
    const std::thread::id main = g_mainThread.load();
    return main == std::thread::id() || main == std::this_thread::get_id();
}

}  // namespace orvia
