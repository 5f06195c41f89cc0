// Work done on one thread beside the caller, in the order it was queued: what a later frame needs
// and the first frame need not wait for.
#pragma once
#include <cstdint>

// Queues work(context) and returns its ticket. Where no thread can be started, the work is done at
// once, before this returns.
int64_t queueBackgroundWork(void (*work)(void* context), void* context);
// Whether the work of ticket, and all queued before it, is done.
bool backgroundWorkDone(int64_t ticket);
// Waits until the work of ticket, and all queued before it, is done.
void waitForBackgroundWork(int64_t ticket);
