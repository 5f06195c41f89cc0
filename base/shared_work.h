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

// The same items started on the helper threads and left to run while the caller goes on with other
// work. Returns the job's number (never 0). awaitSharedItem returns once the item is done, the caller
// taking items not yet taken while it waits; finishSharedWork once every item is. A job is finished
// before shareWork or the next start runs, so an item of a job that is no longer running is done.
// The same single caller.
uint64_t startSharedWork(int32_t count, void (*work)(int32_t item, void* context), void* context);
bool sharedWorkRunning(uint64_t job);
void awaitSharedItem(uint64_t job, int32_t item);
void finishSharedWork();
