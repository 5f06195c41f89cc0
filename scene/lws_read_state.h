// Shared by the parts of the scene file reader.
#pragma once
#include <cstdint>

#include "data/package.h"

struct SceneDeviceHooks;
struct Scene;
struct SceneItem;

enum { LWS_TOKEN_LENGTH = 256 };

struct LwsReader {
    const SceneDeviceHooks* device;  // null: items get no meshes
    Scene* scene;
    DemoFile file;
    const char* path;
    char token[LWS_TOKEN_LENGTH];  // the current token; empty at the end of the file
    int32_t version;  // the number after "LWSC"; from 4 on an item number precedes the object path
    bool atEnd;
    bool refused;
    bool itemsReported;  // capacity messages, once per file
    bool lightsReported;
    bool camerasReported;
};

// Reads the next token into r->token; false (token empty) at the end of the file.
bool lwsNext(LwsReader* r);
bool lwsIs(const LwsReader* r, const char* keyword);
// Skips to keyword, comparing the current token first. Stops early, returning false, at the end of
// the file or at any of the stop words (null-terminated list, may be null).
bool lwsSkipTo(LwsReader* r, const char* keyword, const char* const* stops);
bool lwsFloat(LwsReader* r, float* value, const char* keyword);
bool lwsFloats(LwsReader* r, float* values, int count, const char* keyword);
bool lwsInt(LwsReader* r, int32_t* value, const char* keyword);
bool lwsHex(LwsReader* r, uint32_t* value, const char* keyword);
// The current token as a number (C locale); false when it is not one.
bool lwsTokenFloat(const LwsReader* r, float* value);
// A problem the file cannot be read past: reported once, then the reading stops.
bool lwsRefuse(LwsReader* r, const char* format, ...) __attribute__((format(printf, 2, 3)));
// A problem the reader works around: reported, reading goes on.
void lwsWarn(LwsReader* r, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Object and null items, from a current token LoadObjectLayer or AddNullObject; on return the
// current token is the one after the item.
bool lwsReadItem(LwsReader* r);
// Frees what one item holds (motion keys, bones, surface instances).
void lwsFreeItem(SceneItem* item);
