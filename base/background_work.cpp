#include "base/background_work.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

#include "base/join_thread.h"

namespace {

struct Job {
    void (*work)(void*);
    void* context;
};

// The one worker: started with the first work, stopped (after what is queued) when the process ends.
struct Worker {
    std::mutex lock;
    std::condition_variable changed;
    std::deque<Job> queue;
    int64_t queued = 0, completed = 0;
    bool stopping = false;
    std::thread thread;

    void run() {
        std::unique_lock<std::mutex> held(lock);
        for (;;) {
            changed.wait(held, [this] { return stopping || !queue.empty(); });
            if (queue.empty()) return;
            const Job job = queue.front();
            queue.pop_front();
            held.unlock();
            job.work(job.context);
            held.lock();
            ++completed;
            changed.notify_all();
        }
    }

    ~Worker() {
        {
            std::lock_guard<std::mutex> held(lock);
            stopping = true;
        }
        changed.notify_all();
        joinUnlessSelf(thread);
    }
};

Worker& worker() {
    static Worker w;
    return w;
}

}  // namespace

int64_t queueBackgroundWork(void (*work)(void* context), void* context) {
    Worker& w = worker();
    std::unique_lock<std::mutex> held(w.lock);
    if (!w.thread.joinable()) {
        try {
            w.thread = std::thread(&Worker::run, &w);
        } catch (const std::system_error&) {
            // No thread: done here, in order after anything queued (nothing can be without a thread).
            const int64_t ticket = ++w.queued;
            held.unlock();
            work(context);
            held.lock();
            ++w.completed;
            return ticket;
        }
    }
    w.queue.push_back({work, context});
    const int64_t ticket = ++w.queued;
    w.changed.notify_all();
    return ticket;
}

bool backgroundWorkDone(int64_t ticket) {
    Worker& w = worker();
    std::lock_guard<std::mutex> held(w.lock);
    return w.completed >= ticket;
}

void waitForBackgroundWork(int64_t ticket) {
    Worker& w = worker();
    std::unique_lock<std::mutex> held(w.lock);
    w.changed.wait(held, [&] { return w.completed >= ticket; });
}
