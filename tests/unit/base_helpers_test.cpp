#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <thread>
#include <vector>

#include "base/background_work.h"
#include "base/crt_rand.h"
#include "base/float_byte.h"
#include "base/parallel_slices.h"
#include "base/shared_work.h"

TEST(CrtRand, SequencesMatchTheProductionsCLibrary) {
    crtSrand(0);
    const int32_t fromZero[] = {38, 7719, 21238, 2437, 8855};
    for (int32_t expected : fromZero) EXPECT_EQ(crtRand(), expected);
    crtSrand(1);
    EXPECT_EQ(crtRand(), 41);  // the first draw of an unseeded program
}

TEST(FloatToByte, EveryInputHasADefinedByte) {
    const struct {
        float in;
        uint8_t out;
    } cases[] = {{0.0f, 0}, {127.9f, 127}, {254.99f, 254}, {255.0f, 255}, {256.0f, 255}, {1e30f, 255},
                 {-0.5f, 0}, {-1e30f, 0}, {NAN, 0}, {INFINITY, 255}, {-INFINITY, 0}};
    for (const auto& c : cases) EXPECT_EQ(floatToByte(c.in), c.out) << c.in;
}

// Every slice once, whatever the count against the cores: a range dropped or run twice would leave a
// plane of a volume unbuilt or built by two threads at once.
TEST(ForEachSlice, EverySliceExactlyOnce) {
    for (int32_t count : {0, 1, 2, 3, 7, 64, 257}) {
        std::vector<int> visits(size_t(count) + 1, 0);  // one past the end catches an overrun
        forEachSlice(
            count,
            [](int32_t first, int32_t end, void* context) {
                int* v = static_cast<int*>(context);
                for (int32_t k = first; k < end; ++k) ++v[k];
            },
            visits.data());
        for (int32_t k = 0; k < count; ++k) EXPECT_EQ(visits[size_t(k)], 1) << k << " of " << count;
        EXPECT_EQ(visits[size_t(count)], 0) << count;
    }
}

// Background work runs beside the caller, in the order it was queued: a later ticket done means every
// earlier one is, and waiting for a ticket leaves its work finished.
TEST(BackgroundWork, RunsInQueueOrderOnAnotherThread) {
    struct Record {
        std::atomic<bool>* gate;
        std::vector<int>* order;
        int id;
        std::thread::id thread;
    };
    std::atomic<bool> gate{false};
    std::vector<int> order;
    Record records[3] = {{&gate, &order, 0, {}}, {&gate, &order, 1, {}}, {&gate, &order, 2, {}}};
    int64_t tickets[3];
    for (int k = 0; k < 3; ++k)
        tickets[k] = queueBackgroundWork(
            [](void* context) {
                Record* r = static_cast<Record*>(context);
                while (!r->gate->load()) std::this_thread::yield();  // held until the test has looked
                r->order->push_back(r->id);
                r->thread = std::this_thread::get_id();
            },
            &records[k]);
    EXPECT_LT(tickets[0], tickets[1]);
    EXPECT_FALSE(backgroundWorkDone(tickets[0]));  // not done here, before this returned
    gate = true;
    waitForBackgroundWork(tickets[2]);
    EXPECT_TRUE(backgroundWorkDone(tickets[0]) && backgroundWorkDone(tickets[1]));
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    EXPECT_NE(records[0].thread, std::this_thread::get_id());
}

// Shared work, call after call as a frame makes them: every item exactly once and done on return. A
// helper still finishing one call's item, or claiming an item of the next call with the last call's
// work, would show up as a count off by one.
TEST(SharedWork, EveryItemExactlyOnceCallAfterCall) {
    std::vector<std::atomic<int>> visits(1001);
    for (int round = 0; round < 300; ++round) {
        const int32_t count = round % 7 == 0 ? 1000 : round % 5;
        for (auto& v : visits) v = 0;
        shareWork(
            count,
            [](int32_t item, void* context) {
                auto* v = static_cast<std::atomic<int>*>(context);
                if (item % 97 == 0) std::this_thread::yield();  // items of uneven length
                v[item].fetch_add(1);
            },
            visits.data());
        for (int32_t k = 0; k <= 1000; ++k) ASSERT_EQ(visits[size_t(k)].load(), k < count ? 1 : 0) << round << " " << k;
    }
}

// Queued pieces run as one job beside the caller: a piece awaited is done when the wait returns (the
// pieces of 60 rounds, some awaited before the helpers reach them, some after, some never until the
// job is ended), every item exactly once, an item may wait for the earlier items of its piece, a
// piece past the queue's room runs at once, and a job that has ended is awaited without blocking.
TEST(SharedWork, QueuedPiecesAreDoneWhenAwaited) {
    struct Piece {
        std::vector<std::atomic<int>> visits;
        bool chained;  // each item waits for the one before it
        explicit Piece(size_t n, bool c) : visits(n), chained(c) {}
    };
    auto visit = [](int32_t item, void* context) {
        Piece* piece = static_cast<Piece*>(context);
        if (piece->chained && item > 0)
            while (piece->visits[size_t(item) - 1].load() == 0) std::this_thread::yield();
        if (item % 3 == 0) std::this_thread::yield();
        piece->visits[size_t(item)].fetch_add(1);
    };
    SharedTicket previous = {};
    for (int round = 0; round < 60; ++round) {
        std::vector<std::unique_ptr<Piece>> pieces;
        std::vector<SharedTicket> tickets;
        const int32_t count = round % 10 == 0 ? 17 : 1 + round % 4;  // 17: one past the queue's room
        for (int32_t k = 0; k < count; ++k) {
            const int32_t items = k == 1 ? 90 : 1 + (round + k) % 5;  // 90: past the awaitable items
            pieces.push_back(std::make_unique<Piece>(size_t(items), k % 2 == 1));
            tickets.push_back(queueSharedWork(items, visit, pieces.back().get()));
        }
        startQueuedWork();
        EXPECT_FALSE(sharedWorkRunning(previous));
        for (int32_t k = count - 1; k >= 0; k -= 2) {
            awaitSharedWork(tickets[size_t(k)]);
            for (const auto& v : pieces[size_t(k)]->visits) ASSERT_EQ(v.load(), 1) << round << " " << k;
        }
        if (round % 2) finishSharedWork();
        else shareWork(0, nullptr, nullptr);  // ends the started job first
        EXPECT_FALSE(sharedWorkRunning(tickets[0]));
        awaitSharedWork(tickets[0]);
        for (const auto& piece : pieces)
            for (const auto& v : piece->visits) ASSERT_EQ(v.load(), 1) << round;
        previous = tickets[0];
    }
}
