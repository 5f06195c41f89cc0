// Material programs shared between surfaces with the same material key: one open-addressed table
// per program kind, probed by double hashing.
#pragma once
#include <cstdint>

struct ProgramCache;

// Slot holding key, or -1 when absent. Key 0 marks an empty slot and so is never found.
int programCacheFind(const ProgramCache* cache, uint32_t key);
// Stores (key, program) in the first empty slot on key's probe path; returns that slot, or -1 when
// the table has no empty slot on the path (the program is then simply not shared).
int programCacheInsert(ProgramCache* cache, uint32_t key, uint32_t program);
// The probe path: first slot and step.
uint32_t programCacheStart(uint32_t key);
uint32_t programCacheStep(uint32_t key);
