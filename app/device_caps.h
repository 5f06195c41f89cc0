// What the graphics device offers: driver strings and the extension states.
#pragma once
#include <cstdint>

enum { EXTENSION_COUNT = 21 };

enum ExtensionStateValue : int32_t {
    EXTENSION_MISSING = 0,
    EXTENSION_NOT_REQUIRED = 1,
    EXTENSION_FOUND = 2,
};

struct DeviceCaps {
    char renderer[256];
    char vendor[256];
    char version[256];
    int32_t extensions[EXTENSION_COUNT];
};

DeviceCaps* deviceCaps();
// Reads the driver strings of the current GL context.
void readDriverStrings(DeviceCaps* caps);
// True when the GL extension string of the current context names the extension exactly.
bool hasGlExtension(const char* name);
