// Many small independent items of a frame's work shared between the calling thread and helper
// threads that stay from one call to the next, so that a frame gains the other cores without
// starting a thread. Each item writes only its own output: the result is the same, byte for byte,
// however many threads take part.
#pragma once
#include <cstdint>

// Calls work(item, context) for every item of [0, count) and returns when all are done. Items are
// taken in increasing order, by whichever thread is free first; the calling thread takes its share.
// One caller at a time: not from inside work, nor from two threads at once (the frame's thread
// calls it; background work does not).
void shareWork(int32_t count, void (*work)(int32_t item, void* context), void* context);

// Work queued in pieces (by a frame's effect slots before its passes) and started as one job on the
// helper threads, left to run while the caller goes on with other work: awaitSharedWork returns once
// a piece's items are done, the caller taking items not yet taken while it waits; finishSharedWork
// once every item is. Items are taken in the order they were queued, so an item may wait for
// earlier items of its own piece. A job is finished before shareWork or the next start runs, so
// the items of a job that is no longer running are done. The same single caller.
struct SharedTicket {
    uint64_t job;  // 0: nothing queued (the items already ran, or there were none)
    int32_t first, count;
};
SharedTicket queueSharedWork(int32_t count, void (*work)(int32_t item, void* context), void* context);
void startQueuedWork();
bool sharedWorkRunning(const SharedTicket& ticket);
void awaitSharedWork(const SharedTicket& ticket);
void finishSharedWork();
