// Marks which thread may call a class, checked in debug builds.
//
// The system runs its engines, lines, players' notifications and telephony
// callbacks on one main thread. The dispatcher marks that thread at start-up;
// classes that belong to it assert with ORVIA_ASSERT_MAIN_THREAD().
#pragma once

#include <cassert>

namespace orvia {

// Declares the calling thread the main thread.
void MarkMainThread();
// True on the main thread, and on any thread while none has been marked
// (unit tests that drive a class directly).
bool IsMainThread();

}  // namespace orvia

#define ORVIA_ASSERT_MAIN_THREAD() assert(::orvia::IsMainThread())
