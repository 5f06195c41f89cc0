// env, object and scene: what the player reads from a package, as text for content authors.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/demo_context.h"
#include "base/c_locale.h"
#include "base/constants.h"
#include "data/package.h"
#include "render/scene_load.h"
#include "scene/envelope.h"
#include "scene/lwo_reader.h"
#include "scene/lws_reader.h"
#include "tools/demotool/commands.h"

namespace {

const char* channelName(uint8_t channel) {
    static const char* const kNames[] = {"COLR", "REFL", "SPEC", "TRAN", "TRNL", "BUMP", "DIFF", "LUMI", "GLOS", "RIND"};
    return channel < 10 ? kNames[channel] : "?";
}

const char* opacityName(uint8_t type) {
    static const char* const kNames[] = {"normal", "subtractive", "difference", "multiply",
                                         "divide", "alpha",       "displacement", "additive"};
    return type < 8 ? kNames[type] : "?";
}

const char* wrapName(uint8_t wrap) {
    static const char* const kNames[] = {"reset", "repeat", "mirror", "edge"};
    return wrap < 4 ? kNames[wrap] : "?";
}

const char* lightTypeName(int32_t type) {
    switch (uint8_t(type)) {
        case 0: return "distant";
        case 1: return "point";
        case 2: return "spot";
        default: return "other";
    }
}

void printClip(const RawObject* object, int32_t c) {
    const ImageClip* clip = &object->clips[c];
    if (clip->digits == 0)
        std::printf("clip %d still %s\n", c, clip->fileName);
    else
        std::printf("clip %d sequence %s %s frames %d-%d digits %d\n", c, clip->fileName, clip->suffix, clip->start,
                    clip->end, clip->digits);
}

void printSurface(const RawObject* object, int32_t s) {
    const RawSurface* surface = &object->surfaces[s];
    std::printf("surface %d %s\n", s, surface->name);
    std::printf("  colour %.6f %.6f %.6f %.6f\n", surface->color[0], surface->color[1], surface->color[2],
                surface->color[3]);
    std::printf("  diffuse %.6f\n  specular %.6f\n  glow %.6f\n  shininess %d\n", surface->diffuse, surface->specular,
                surface->glow, surface->shininess);
    std::printf("  smoothing %.6f degrees\n", double(surface->smoothingAngle) * 180.0 / kPi);
    for (int k = 0; k < surface->layerCount && k < OBJECT_SURFACE_LAYERS; ++k) {
        const TextureLayer* layer = &surface->layers[k];
        const char* uv = layer->uvMap < object->uvMapCount ? object->uvMapNames[layer->uvMap] : "-";
        std::printf("  layer %d channel %s opacity %s %.6f wrap %s %s uv %s", k, channelName(layer->channel),
                    opacityName(layer->opacityType), layer->opacity, wrapName(layer->widthWrap),
                    wrapName(layer->heightWrap), uv);
        if (layer->image)
            std::printf(" image clip %d %s\n", int(layer->image - object->clips), layer->image->fileName);
        else
            std::printf(" image -\n");
    }
}

// "-", "item N", "light N", "camera N", "bone I.B", or "unknown XXXXXXXX" for a link that names nothing.
void printParent(const SceneItem* item) {
    const ItemRef ref = item->parentRef;
    if (ref == 0) {
        std::printf("-");
        return;
    }
    switch (item->parentKind) {
        case ITEM_OBJECT: std::printf("item %u", ref & 0x0FFFFFFFu); break;
        case ITEM_LIGHT: std::printf("light %u", ref & 0x0FFFFFFFu); break;
        case ITEM_CAMERA: std::printf("camera %u", ref & 0x0FFFFFFFu); break;
        case ITEM_BONE: std::printf("bone %u.%u", ref & 0xFFFFu, (ref >> 16) & 0x0FFFu); break;
        default: std::printf("unknown %08X", ref); break;
    }
}

void printScene(const Scene* scene, const char* path) {
    std::printf("scene %s\nitems %d\n", path, scene->itemCount);
    for (int32_t i = 0; i < scene->itemCount; ++i) {
        const SceneItem* item = &scene->items[i];
        std::printf("item %d %s %s%s parent ", i, item->isNull ? "null" : "object", item->name,
                    item->isNull || item->mesh ? "" : " (not loaded)");
        printParent(item);
        std::printf(" bones %d\n", item->boneCount);
    }
    std::printf("lights %d\n", scene->lightCount);
    for (int32_t l = 0; l < scene->lightCount; ++l) {
        const Light* light = &scene->lights[l];
        std::printf("light %d %s colour %.6f %.6f %.6f intensity ", l, lightTypeName(light->type), light->color.r,
                    light->color.g, light->color.b);
        if (light->intensityEnvelope.keyCount > 0) std::printf("envelope %d keys", light->intensityEnvelope.keyCount);
        else std::printf("%.6f", light->intensity);
        if (light->falloffType != 0) std::printf(" falloff %d range %.6f", light->falloffType, light->range);
        if (uint8_t(light->type) == 2) std::printf(" cone %.6f edge %.6f", light->coneAngle, light->edgeAngle);
        std::printf("\n");
    }
    std::printf("cameras %d\n", scene->cameraCount);
    for (int32_t c = 0; c < scene->cameraCount; ++c) {
        const Camera* camera = &scene->cameras[c];
        std::printf("camera %d %s zoom ", c, camera->name);
        if (camera->zoomEnvelope.keyCount > 0) std::printf("envelope %d keys\n", camera->zoomEnvelope.keyCount);
        else std::printf("%.6f\n", camera->zoom);
    }
    std::printf("backdrop %.6f %.6f %.6f\n", scene->backdropColor[0], scene->backdropColor[1], scene->backdropColor[2]);
    if (scene->setup.fogType == 0)
        std::printf("fog off\n");
    else
        std::printf("fog %d colour %.6f %.6f %.6f\n", scene->setup.fogType, scene->setup.fogColour[0],
                    scene->setup.fogColour[1], scene->setup.fogColour[2]);
}

}  // namespace

int commandEnv(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: demotool env PKG PATH T...\n");
        return 2;
    }
    float* times = static_cast<float*>(std::calloc(size_t(argc), sizeof(float)));
    for (int k = 2; k < argc; ++k) {
        char* end = nullptr;
        double t = strtod_l(argv[k], &end, cLocale());
        if (end == argv[k] || *end != '\0' || !std::isfinite(t)) {
            std::fprintf(stderr, "demotool: the time %s is not a number of seconds\n", argv[k]);
            std::free(times);
            return 2;
        }
        times[k] = float(t);
    }
    if (!openPackageForTool(argv[0])) {
        std::free(times);
        return 1;
    }
    Envelope envelope = {};
    int status = 1;
    if (loadEnvelopeFile(&envelope, argv[1])) {
        for (int k = 2; k < argc; ++k) std::printf("%.6f\n", double(evalEnvelope(&envelope, times[k])));
        status = 0;
    }
    std::free(envelope.keys);
    std::free(times);
    packageRelease();
    return status;
}

int commandObject(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: demotool object PKG PATH\n");
        return 2;
    }
    if (!openPackageForTool(argv[0])) return 1;
    RawObject* object = readObject(argv[1]);
    if (!object) {
        packageRelease();
        return 1;
    }
    std::printf("object %s\npoints %d\ntriangles %d\nsurfaces %d\nclips %d\nuv maps %d\nweight maps %d\n", argv[1],
                object->pointCount, object->triangleCount, object->surfaceCount, object->clipCount,
                object->uvMapCount, object->weightMapCount);
    for (int32_t c = 0; c < object->clipCount; ++c) printClip(object, c);
    for (int32_t m = 0; m < object->uvMapCount; ++m) std::printf("uv map %d %s\n", m, object->uvMapNames[m]);
    for (int32_t m = 0; m < object->weightMapCount; ++m) std::printf("weight map %d %s\n", m, object->weightMapNames[m]);
    for (int32_t s = 0; s < object->surfaceCount; ++s) printSurface(object, s);
    freeRawObject(object);
    packageRelease();
    return 0;
}

int commandScene(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: demotool scene PKG PATH\n");
        return 2;
    }
    if (!openPackageForTool(argv[0])) return 1;
    DemoContext* context = demoContext();
    resetSettings(&context->render.settings);
    Scene* scene = static_cast<Scene*>(std::calloc(1, sizeof(Scene)));
    int status = 1;
    DemoFile probe = fileOpen(argv[1], "r");
    if (!probe) std::fprintf(stderr, "demotool: %s is not in the package\n", argv[1]);
    else fileClose(probe);
    const SceneDeviceHooks device = sceneDeviceHooks(&context->render);
    if (scene) scene->settings = &context->render.settings;
    if (scene && probe && loadScene(&device, scene, argv[1])) {
        resolveSceneLinks(scene, argv[1]);
        printScene(scene, argv[1]);
        status = 0;
    }
    if (scene) releaseSceneContents(scene);
    std::free(scene);
    packageRelease();
    return status;
}
