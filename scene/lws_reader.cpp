// The scene file walked as a token stream: items, then lights, then cameras, then the effects
// section. Inside a block only the keywords below are looked at; other words are passed over.
// Skips never run past the end of the file, nor past the keyword that starts the next block.
#include "scene/lws_reader.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/c_locale.h"
#include "base/out_of_memory.h"
#include "base/report.h"
#include "scene/lws_read_state.h"
#include "scene/scene.h"

namespace {

const char* const kItemsOrLater[] = {"LoadObjectLayer", "AddNullObject", "AddLight", "AddCamera", nullptr};
const char* const kLightsOrLater[] = {"AddLight", "AddCamera", "BackdropColor", nullptr};
const char* const kCamerasOrLater[] = {"AddCamera", "BackdropColor", nullptr};

int skipToAny(LwsReader* r, const char* const* words) {
    for (;;) {
        for (int k = 0; words[k]; ++k)
            if (lwsIs(r, words[k])) return k;
        if (!lwsNext(r)) return -1;
    }
}

void freeEnvelopes(Envelope* envelopes, int count) {
    for (int c = 0; c < count; ++c) std::free(envelopes[c].keys);
    std::memset(envelopes, 0, sizeof(Envelope) * size_t(count));
}

// "(envelope)" and an envelope block, or a number.
bool readValueOrEnvelope(LwsReader* r, float* value, Envelope* envelope, const char* keyword) {
    if (!lwsNext(r)) return lwsRefuse(r, "it ends after %s", keyword);
    if (lwsIs(r, "(envelope)")) {
        if (readMotion(envelope, 1, r->file)) return true;
        r->refused = true;
        return false;
    }
    if (!lwsTokenFloat(r, value)) {
        // LightWave itself reads the leading number of the word, 0 when there is none.
        float leading = strtof_l(r->token, nullptr, cLocale());
        *value = std::isfinite(leading) ? leading : 0.0f;
        lwsWarn(r, "%s is followed by \"%s\", not a number; it reads as %g", keyword, r->token, double(*value));
    }
    envelope->keyCount = 0;
    return true;
}

// The next word of a light or camera block, which must not be the end of the file.
bool nextIn(LwsReader* r, const char* block) {
    return lwsNext(r) || lwsRefuse(r, "it ends inside a %s", block);
}

// Skips to a keyword of the current light or camera block; its absence breaks the block.
bool blockKeyword(LwsReader* r, const char* keyword, const char* const* stops, const char* block) {
    if (lwsSkipTo(r, keyword, stops)) return true;
    if (r->atEnd) return lwsRefuse(r, "it ends inside a %s, before its %s", block, keyword);
    return lwsRefuse(r, "a %s has no %s", block, keyword);
}

bool readLight(LwsReader* r, Light* light) {
    if (!readMotion(light->motion, MOTION_CHANNELS, r->file)) {
        r->refused = true;
        return false;
    }
    // Lights are never parented: a pivot or parent on the way is read past.
    if (!lwsNext(r)) return lwsRefuse(r, "it ends inside a light");
    while (!lwsIs(r, "LightColor")) {
        if (lwsIs(r, "PivotPosition")) {
            float ignored[3];
            if (!lwsFloats(r, ignored, 3, "PivotPosition")) return false;
        } else if (lwsIs(r, "ParentItem")) {
            uint32_t ignored;
            if (!lwsHex(r, &ignored, "ParentItem")) return false;
        } else {
            for (int k = 0; kLightsOrLater[k]; ++k)
                if (lwsIs(r, kLightsOrLater[k])) return lwsRefuse(r, "a light has no LightColor");
        }
        if (!lwsNext(r)) return lwsRefuse(r, "it ends inside a light, before its LightColor");
    }
    float rgb[3];
    if (!lwsFloats(r, rgb, 3, "LightColor")) return false;
    light->color = {rgb[0], rgb[1], rgb[2], 1.0f};
    if (!nextIn(r, "light") || !blockKeyword(r, "LightIntensity", kLightsOrLater, "light")) return false;
    if (!readValueOrEnvelope(r, &light->intensity, &light->intensityEnvelope, "LightIntensity")) return false;
    if (!nextIn(r, "light") || !blockKeyword(r, "LightType", kLightsOrLater, "light")) return false;
    if (!lwsInt(r, &light->type, "LightType")) return false;
    if (!lwsNext(r)) return lwsRefuse(r, "it ends inside a light, after its LightType");
    if (lwsIs(r, "LightFalloffType")) {
        if (!lwsInt(r, &light->falloffType, "LightFalloffType") || !nextIn(r, "light") ||
            !blockKeyword(r, "LightRange", kLightsOrLater, "light") || !lwsFloat(r, &light->range, "LightRange"))
            return false;
    } else {
        light->falloffType = 0;  // the current word is looked at again below
    }
    if (uint8_t(light->type) == 2) {
        if (!blockKeyword(r, "LightConeAngle", kLightsOrLater, "spot light") ||
            !lwsFloat(r, &light->coneAngle, "LightConeAngle") ||
            !blockKeyword(r, "LightEdgeAngle", kLightsOrLater, "spot light") ||
            !lwsFloat(r, &light->edgeAngle, "LightEdgeAngle"))
            return false;
    }
    if (!blockKeyword(r, "ShadowType", kLightsOrLater, "light")) return false;
    // Its value, then the word that starts whatever follows.
    lwsNext(r);
    lwsNext(r);
    return true;
}

bool readCamera(LwsReader* r, Camera* camera) {
    if (!nextIn(r, "camera") || !blockKeyword(r, "CameraName", kCamerasOrLater, "camera")) return false;
    if (!nextIn(r, "camera")) return false;
    const size_t length = std::strlen(r->token);
    std::memcpy(camera->name, r->token, length < sizeof camera->name ? length : sizeof camera->name - 1);
    if (length >= sizeof camera->name)
        lwsWarn(r, "the camera name \"%s...\" is longer than %d characters and is cut", camera->name,
                int(sizeof camera->name) - 1);
    if (!nextIn(r, "camera") || !blockKeyword(r, "CameraMotion", kCamerasOrLater, "camera")) return false;
    if (!nextIn(r, "camera") || !nextIn(r, "camera")) return false;
    if (!readMotion(camera->motion, CAMERA_MOTION_CHANNELS, r->file)) {
        r->refused = true;
        return false;
    }
    if (!nextIn(r, "camera") || !blockKeyword(r, "ZoomFactor", kCamerasOrLater, "camera")) return false;
    if (!readValueOrEnvelope(r, &camera->zoom, &camera->zoomEnvelope, "ZoomFactor")) return false;
    if (!nextIn(r, "camera") || !blockKeyword(r, "FieldRendering", kCamerasOrLater, "camera")) return false;
    lwsNext(r);
    lwsNext(r);
    return true;
}

bool readLights(LwsReader* r) {
    Scene* scene = r->scene;
    while (skipToAny(r, kLightsOrLater) == 0) {
        const bool kept = scene->lightCount < SCENE_LIGHTS;
        if (!kept && !r->lightsReported) {
            lwsWarn(r, "it has more than %d lights; those after the %dth are left out", SCENE_LIGHTS, SCENE_LIGHTS);
            r->lightsReported = true;
        }
        Light scratch;
        Light* light = kept ? &scene->lights[scene->lightCount++] : &scratch;
        std::memset(light, 0, sizeof *light);
        bool ok = readLight(r, light);
        if (!kept) {
            freeEnvelopes(light->motion, MOTION_CHANNELS);
            freeEnvelopes(&light->intensityEnvelope, 1);
        }
        if (!ok) return false;
    }
    return true;
}

bool readCameras(LwsReader* r) {
    Scene* scene = r->scene;
    while (skipToAny(r, kCamerasOrLater) == 0) {
        const bool kept = scene->cameraCount < SCENE_CAMERAS;
        if (!kept && !r->camerasReported) {
            lwsWarn(r, "it has more than %d cameras; those after the %dth are left out", SCENE_CAMERAS, SCENE_CAMERAS);
            r->camerasReported = true;
        }
        Camera scratch;
        Camera* camera = kept ? &scene->cameras[scene->cameraCount++] : &scratch;
        std::memset(camera, 0, sizeof *camera);
        bool ok = readCamera(r, camera);
        if (!kept) {
            freeEnvelopes(camera->motion, CAMERA_MOTION_CHANNELS);
            freeEnvelopes(&camera->zoomEnvelope, 1);
        }
        if (!ok) return false;
    }
    return true;
}

// Backdrop and fog. A file without them keeps a black backdrop and no fog.
bool readEffects(LwsReader* r) {
    SceneSetup* setup = &r->scene->setup;
    if (!lwsIs(r, "BackdropColor")) {
        lwsWarn(r, "it has no BackdropColor; the backdrop stays black and there is no fog");
        return true;
    }
    if (!lwsFloats(r, r->scene->backdropColor, 3, "BackdropColor")) return false;
    if (!lwsSkipTo(r, "FogType", nullptr)) {
        lwsWarn(r, "it has no FogType; there is no fog");
        return true;
    }
    int32_t fogType = 0;
    if (!lwsInt(r, &fogType, "FogType")) return false;
    setup->fogType = uint8_t(fogType);
    if (fogType != 0) {
        // The fog distance and amount lines, then "FogColor".
        for (int k = 0; k < 9; ++k)
            if (!lwsNext(r)) return lwsRefuse(r, "it ends inside the fog settings");
        float rgb[3];
        if (!lwsFloats(r, rgb, 3, "FogColor")) return false;
        setup->fogColour[0] = rgb[0];
        setup->fogColour[1] = rgb[1];
        setup->fogColour[2] = rgb[2];
        setup->fogColour[3] = 1.0f;
    }
    return true;
}

bool readSceneFile(LwsReader* r) {
    Scene* scene = r->scene;
    scene->itemCount = 0;
    scene->lightCount = 0;
    scene->cameraCount = 0;
    if (lwsNext(r) && lwsIs(r, "LWSC") && fileScan(r->file, "%d", &r->version) != 1) r->version = 0;
    if (skipToAny(r, kItemsOrLater) < 0)
        return lwsRefuse(r, "it holds no objects, nulls, lights or cameras; it is not a LightWave scene file");
    scene->items = static_cast<SceneItem*>(std::calloc(SCENE_ITEMS, sizeof(SceneItem)));
    if (!scene->items) outOfMemory("the items of a scene");
    int k;
    while ((k = skipToAny(r, kItemsOrLater)) == 0 || k == 1)
        if (!lwsReadItem(r)) return false;
    if (!readLights(r) || !readCameras(r) || !readEffects(r)) return false;

    if (r->device && r->device->finishScene) {
        char why[512] = "";
        if (!r->device->finishScene(r->device->user, scene, why, sizeof why)) return lwsRefuse(r, "%s", why);
    }
    if (scene->itemCount == 0) {
        std::free(scene->items);
        scene->items = nullptr;
    } else if (scene->itemCount < SCENE_ITEMS) {
        void* shrunk = std::realloc(scene->items, sizeof(SceneItem) * size_t(scene->itemCount));
        if (shrunk) scene->items = static_cast<SceneItem*>(shrunk);
    }
    return true;
}

void vreport(const char* lead, const char* path, const char* format, va_list args) {
    char text[600];
    std::vsnprintf(text, sizeof text, format, args);
    showError("Scene %s%s: %s.", path, lead, text);
}

}  // namespace

bool lwsNext(LwsReader* r) {
    if (!r->atEnd && fileScan(r->file, "%255s", r->token) == 1) return true;
    r->atEnd = true;
    r->token[0] = '\0';
    return false;
}

bool lwsIs(const LwsReader* r, const char* keyword) { return std::strcmp(r->token, keyword) == 0; }

bool lwsSkipTo(LwsReader* r, const char* keyword, const char* const* stops) {
    for (;;) {
        if (lwsIs(r, keyword)) return true;
        for (int k = 0; stops && stops[k]; ++k)
            if (lwsIs(r, stops[k])) return false;
        if (!lwsNext(r)) return false;
    }
}

bool lwsFloat(LwsReader* r, float* value, const char* keyword) { return lwsFloats(r, value, 1, keyword); }

bool lwsFloats(LwsReader* r, float* values, int count, const char* keyword) {
    for (int k = 0; k < count; ++k) {
        int got = r->atEnd ? EOF : fileScan(r->file, "%f", &values[k]);
        if (got == EOF) return lwsRefuse(r, "it ends after %s", keyword);
        if (got != 1 || !std::isfinite(values[k]))
            return lwsRefuse(r, "%s is not followed by %d number%s", keyword, count, count > 1 ? "s" : "");
    }
    return true;
}

bool lwsInt(LwsReader* r, int32_t* value, const char* keyword) {
    int got = r->atEnd ? EOF : fileScan(r->file, "%d", value);
    if (got == EOF) return lwsRefuse(r, "it ends after %s", keyword);
    if (got != 1) return lwsRefuse(r, "%s is not followed by a whole number", keyword);
    return true;
}

bool lwsHex(LwsReader* r, uint32_t* value, const char* keyword) {
    unsigned parsed = 0;
    int got = r->atEnd ? EOF : fileScan(r->file, "%8x", &parsed);
    if (got == EOF) return lwsRefuse(r, "it ends after %s", keyword);
    if (got != 1) return lwsRefuse(r, "%s is not followed by a hexadecimal item number", keyword);
    *value = parsed;
    return true;
}

bool lwsTokenFloat(const LwsReader* r, float* value) {
    char* end = nullptr;
    float parsed = strtof_l(r->token, &end, cLocale());
    if (end == r->token || *end != '\0' || !std::isfinite(parsed)) return false;
    *value = parsed;
    return true;
}

bool lwsRefuse(LwsReader* r, const char* format, ...) {
    if (r->refused) return false;
    r->refused = true;
    va_list args;
    va_start(args, format);
    vreport(" cannot be loaded", r->path, format, args);
    va_end(args);
    return false;
}

void lwsWarn(LwsReader* r, const char* format, ...) {
    va_list args;
    va_start(args, format);
    vreport("", r->path, format, args);
    va_end(args);
}

bool loadScene(const SceneDeviceHooks* device, Scene* scene, const char* path) {
    DemoFile file = fileOpen(path, "r");
    if (!file) {
        showError("Scene %s is not in the package; the scene stays empty.", path);
        return true;
    }
    LwsReader reader = {};
    reader.device = device;
    reader.scene = scene;
    reader.file = file;
    reader.path = path;
    bool ok = readSceneFile(&reader);
    fileClose(file);
    if (!ok) releaseSceneContents(scene);
    return ok;
}

void releaseSceneContents(Scene* scene) {
    for (int32_t i = 0; scene->items && i < scene->itemCount; ++i) lwsFreeItem(&scene->items[i]);
    std::free(scene->items);
    scene->items = nullptr;
    scene->itemCount = 0;
    for (int32_t l = 0; l < scene->lightCount && l < SCENE_LIGHTS; ++l) {
        freeEnvelopes(scene->lights[l].motion, MOTION_CHANNELS);
        freeEnvelopes(&scene->lights[l].intensityEnvelope, 1);
    }
    scene->lightCount = 0;
    for (int32_t c = 0; c < scene->cameraCount && c < SCENE_CAMERAS; ++c) {
        freeEnvelopes(scene->cameras[c].motion, CAMERA_MOTION_CHANNELS);
        freeEnvelopes(&scene->cameras[c].zoomEnvelope, 1);
    }
    scene->cameraCount = 0;
}
