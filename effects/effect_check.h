// What "demotool check" lends a family's check: the family names the files a row loads and what it
// expects of them; the tool looks them up in the package and checks contents once per file, after
// every scene. Only the tool fills this record; the player never calls a check.
#pragma once
#include <cstdint>

struct EffectBinding;

struct EffectCheck {
    void* tool;
    // A file the row loads; true when the package holds it.
    bool (*use)(EffectCheck* check, const char* path);
    // An object drawn among the scene's lights: its images and surfaces against the device limits.
    void (*object)(EffectCheck* check, const char* path);
    // An object the family draws on its own, without the scene's lights.
    void (*ownObject)(EffectCheck* check, const char* path, const char* by, const char* drawnAs);
    // A program read whole from the package, from its header to "END".
    void (*program)(EffectCheck* check, const char* path, const char* header);
    // Contents: a fish lying along x for the body length, a horizontal swimmer, a closed soft body for
    // the row, a control scene of BLOB_MOTIONS motions, a typing text of at least `entries` entries.
    void (*fish)(EffectCheck* check, const char* path, float bodyLength);
    void (*swimmer)(EffectCheck* check, const char* path);
    void (*softBody)(EffectCheck* check, const char* path, const EffectBinding* row);
    void (*lightBlobScene)(EffectCheck* check, const char* path);
    void (*typingText)(EffectCheck* check, const char* path, int32_t entries);
};

// The row's own file, when it names one: only that the package holds it.
void checkRowFile(EffectCheck* check, const EffectBinding* row);
// The row's files, one a line (the bubbles that follow a path name three envelopes).
void checkRowFileLines(EffectCheck* check, const EffectBinding* row);
