#include "base/shared_work.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "base/join_thread.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// The job in one word, so that a thread claims an item of the job it read and of no other: the
// job's number, its item count and the next item to take.
constexpr int kItemBits = 24;
constexpr uint64_t kItemMask = (uint64_t(1) << kItemBits) - 1;
uint64_t pack(uint64_t job, uint64_t count, uint64_t next) { return job << (2 * kItemBits) | count << kItemBits | next; }
uint64_t countOf(uint64_t word) { return word >> kItemBits & kItemMask; }
uint64_t nextOf(uint64_t word) { return word & kItemMask; }
uint64_t jobOf(uint64_t word) { return word >> (2 * kItemBits); }

void pause() {
#ifdef __SSE2__
    _mm_pause();
#endif
}

// How long a helper keeps looking for items after its last one before it sleeps: a frame's bursts of
// work come closer together than that, and waking a sleeping thread costs far more.
constexpr auto kSpin = std::chrono::microseconds(100);

// Items of a started job that can be awaited one by one; past these, awaiting one finishes the job.
constexpr int32_t kAwaitable = 256;
// Pieces one job can gather; past these a piece runs when it is queued.
constexpr int32_t kPieces = 16;

struct Piece {
    void (*work)(int32_t, void*);
    void* context;
    int32_t first, count;
};

struct Pieces {
    Piece pieces[kPieces];
    int32_t count = 0, items = 0;
};

// A job's item to its piece's.
void runPiece(int32_t item, void* context) {
    const Pieces& all = *static_cast<const Pieces*>(context);
    for (int32_t k = 0; k < all.count; ++k) {
        const Piece& piece = all.pieces[k];
        if (item < piece.first + piece.count) {
            piece.work(item - piece.first, piece.context);
            return;
        }
    }
}

struct Pool {
    std::atomic<uint64_t> word{0};
    std::atomic<void (*)(int32_t, void*)> work{nullptr};
    std::atomic<void*> context{nullptr};
    std::atomic<int32_t> finished{0};
    std::atomic<bool> done[kAwaitable] = {};
    // Only the caller reads these: the queue, the job started from it and left running, its items.
    Pieces queued, running;
    uint64_t startedJob = 0;
    int32_t started = 0;
    std::atomic<int32_t> sleeping{0};
    std::atomic<bool> stopping{false};
    std::mutex lock;
    std::condition_variable wake;
    std::vector<std::thread> helpers;

    // Takes the next item of the job in word if there is one; runs it. False when there was none.
    bool takeItem(uint64_t seen) {
        while (nextOf(seen) < countOf(seen)) {
            if (word.compare_exchange_weak(seen, seen + 1, std::memory_order_acq_rel, std::memory_order_acquire)) {
                const int32_t item = int32_t(nextOf(seen));
                work.load(std::memory_order_relaxed)(item, context.load(std::memory_order_relaxed));
                if (item < kAwaitable) done[item].store(true, std::memory_order_release);
                finished.fetch_add(1, std::memory_order_release);
                return true;
            }
        }
        return false;
    }

    void help() {
        auto idleSince = std::chrono::steady_clock::now();
        for (int32_t spins = 0;; ++spins) {
            const uint64_t seen = word.load(std::memory_order_acquire);
            if (takeItem(seen)) {
                spins = 0;
                idleSince = std::chrono::steady_clock::now();
                continue;
            }
            if (stopping.load()) return;
            if (spins % 64 != 63 || std::chrono::steady_clock::now() - idleSince < kSpin) {
                pause();
                continue;
            }
            std::unique_lock<std::mutex> held(lock);
            sleeping.fetch_add(1);
            wake.wait(held, [&] { return stopping.load() || word.load() != seen; });
            sleeping.fetch_sub(1);
            idleSince = std::chrono::steady_clock::now();
        }
    }

    Pool() {
        const unsigned cores = std::min(std::thread::hardware_concurrency(), 8u);
        for (unsigned k = 1; k < cores; ++k) {
            try {
                helpers.emplace_back(&Pool::help, this);
            } catch (const std::system_error&) {
                break;  // fewer helpers: the caller takes more items
            }
        }
    }

    ~Pool() {
        stopping = true;
        {
            std::lock_guard<std::mutex> held(lock);
            wake.notify_all();
        }
        for (std::thread& helper : helpers) joinUnlessSelf(helper);
    }
};

Pool& pool() {
    static Pool p;
    return p;
}

// Publishes a job to the helpers, waking those asleep.
void publish(Pool& p, int32_t count, void (*work)(int32_t, void*), void* context) {
    p.work.store(work, std::memory_order_relaxed);
    p.context.store(context, std::memory_order_relaxed);
    p.finished.store(0, std::memory_order_relaxed);
    for (int32_t item = 0; item < count && item < kAwaitable; ++item)
        p.done[item].store(false, std::memory_order_relaxed);
    const uint64_t job = jobOf(p.word.load(std::memory_order_relaxed)) + 1;
    p.word.store(pack(job, uint64_t(count), 0));  // publishes the job with the fields above
    if (p.sleeping.load() > 0) {
        std::lock_guard<std::mutex> held(p.lock);
        p.wake.notify_all();
    }
}

// Takes what is left of the published job, then waits for the items still running on helpers.
void finish(Pool& p, int32_t count) {
    while (p.takeItem(p.word.load(std::memory_order_acquire))) {
    }
    while (p.finished.load(std::memory_order_acquire) < count) pause();
}

}  // namespace

void shareWork(int32_t count, void (*work)(int32_t item, void* context), void* context) {
    finishSharedWork();
    if (count <= 0) return;
    Pool& p = pool();
    if (p.helpers.empty() || count == 1 || uint64_t(count) > kItemMask) {
        for (int32_t item = 0; item < count; ++item) work(item, context);
        return;
    }
    publish(p, count, work, context);
    finish(p, count);
}

SharedTicket queueSharedWork(int32_t count, void (*work)(int32_t item, void* context), void* context) {
    Pool& p = pool();
    Pieces& q = p.queued;
    if (count <= 0 || q.count == kPieces || uint64_t(q.items) + uint64_t(count) > kItemMask) {
        for (int32_t item = 0; item < count; ++item) work(item, context);
        return {0, 0, 0};
    }
    q.pieces[q.count++] = {work, context, q.items, count};
    q.items += count;
    return {p.startedJob + 1, q.items - count, count};
}

void startQueuedWork() {
    finishSharedWork();
    Pool& p = pool();
    if (p.queued.count == 0) return;
    p.running = p.queued;
    p.queued = Pieces();
    ++p.startedJob;
    p.started = p.running.items;
    publish(p, p.started, runPiece, &p.running);  // without helpers the caller runs every item when it waits
}

bool sharedWorkRunning(const SharedTicket& ticket) {
    const Pool& p = pool();
    return ticket.job != 0 && p.started > 0 && ticket.job == p.startedJob;
}

void awaitSharedWork(const SharedTicket& ticket) {
    if (!sharedWorkRunning(ticket)) return;
    Pool& p = pool();
    for (int32_t item = ticket.first; item < ticket.first + ticket.count; ++item) {
        if (item >= kAwaitable) {
            finishSharedWork();
            return;
        }
        while (!p.done[item].load(std::memory_order_acquire))
            if (!p.takeItem(p.word.load(std::memory_order_acquire))) pause();
    }
}

void finishSharedWork() {
    Pool& p = pool();
    if (p.started == 0) return;
    finish(p, p.started);
    p.started = 0;
}
