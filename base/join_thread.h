// Ending a thread the process keeps for its whole run, at exit.
#pragma once
#include <thread>

// Joins thread, unless it is the thread ending the process (work that ran out of memory, say): a
// thread cannot wait for itself, so that one is let go.
inline void joinUnlessSelf(std::thread& thread) {
    if (!thread.joinable()) return;
    if (thread.get_id() == std::this_thread::get_id())
        thread.detach();
    else
        thread.join();
}
