#include "scene/program_cache.h"

#include "scene/scene.h"

// 2081 is prime, so every step from 1 to 97 visits each slot once per round: a walk of
// PROGRAM_CACHE_SLOTS probes has seen the whole table, which bounds lookups in a full table.
uint32_t programCacheStart(uint32_t key) { return key % PROGRAM_CACHE_SLOTS; }
uint32_t programCacheStep(uint32_t key) { return key % 97 + 1; }

int programCacheFind(const ProgramCache* cache, uint32_t key) {
    uint32_t slot = programCacheStart(key);
    const uint32_t step = programCacheStep(key);
    for (int probe = 0; probe < PROGRAM_CACHE_SLOTS; ++probe) {
        uint32_t stored = cache->slots[slot].key;
        if (stored == 0) return -1;
        if (stored == key) return int(slot);
        slot = (slot + step) % PROGRAM_CACHE_SLOTS;
    }
    return -1;
}

int programCacheInsert(ProgramCache* cache, uint32_t key, uint32_t program) {
    if (key == 0) return -1;  // it would read as an empty slot
    uint32_t slot = programCacheStart(key);
    const uint32_t step = programCacheStep(key);
    for (int probe = 0; probe < PROGRAM_CACHE_SLOTS; ++probe) {
        if (cache->slots[slot].key == 0) {
            cache->slots[slot].key = key;
            cache->slots[slot].program = program;
            return int(slot);
        }
        slot = (slot + step) % PROGRAM_CACHE_SLOTS;
    }
    return -1;
}
