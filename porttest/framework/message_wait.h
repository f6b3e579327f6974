// Waiting on the UI thread for something another thread does while that
// thread may still send messages to this thread's windows.
#pragma once

#include <functional>

// Returns once `done()` is true, checking it every few milliseconds. Sent
// messages from other threads are handled meanwhile; posted messages (input,
// timers) stay queued, so no handler of this thread runs again underneath
// the caller.
void WaitHandlingSentMessages(const std::function<bool()>& done);
