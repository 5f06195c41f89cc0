// Meshes from object files: materials, layer flags and vertices are built in memory first, so that an
// object that cannot be drawn is refused before anything reaches the device; then textures, state
// lists and buffers go onto the device when there is one.
#include "render/mesh_build.h"

#include <GL/gl.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/out_of_memory.h"
#include "base/report.h"
#include "render/depth_programs.h"
#include "render/mesh_device.h"
#include "render/render_state.h"
#include "render/texture_units.h"
#include "scene/layer_flags.h"
#include "scene/lwo_reader.h"
#include "scene/mesh_geometry.h"

namespace {

// Every bump layer of an object must use the UV map of its first one: tangents are built once per
// triangle from that map. Returns that map, or -1 when the object has no bump layer.
int checkBumpMaps(const RawObject* object, const char* path) {
    int bumpMap = -1;
    for (int32_t s = 0; s < object->surfaceCount; ++s) {
        const RawSurface* raw = &object->surfaces[s];
        for (int k = 0; k < raw->layerCount && k < OBJECT_SURFACE_LAYERS; ++k) {
            if (raw->layers[k].channel != CHANNEL_BUMP) continue;
            if (bumpMap < 0) {
                bumpMap = raw->layers[k].uvMap;
            } else if (bumpMap != raw->layers[k].uvMap) {
                showError("Object %s has two different BumpUV maps", path);
                fatalExit(EXIT_AFTER_MESSAGE);
            }
        }
    }
    return bumpMap;
}

void fillSurface(Surface* surface, const RawSurface* raw, Mesh* mesh) {
    std::memcpy(surface->name, raw->name, sizeof surface->name);
    surface->name[sizeof surface->name - 1] = '\0';
    surface->color = {raw->color[0], raw->color[1], raw->color[2], raw->color[3]};
    surface->diffuse = raw->diffuse;
    surface->specular = raw->specular;
    surface->glow = raw->glow;
    surface->shininess = raw->shininess;
    surface->lines = raw->lines;
    surface->layerCount = raw->layerCount < SURFACE_LAYERS ? int32_t(raw->layerCount) : int32_t(SURFACE_LAYERS);
    surface->bumpLayer = 0;
    surface->displayListCount = 1;
    surface->frame = 0;
    for (int32_t k = 0; k < SURFACE_LAYERS; ++k) surface->layerTexture[k] = -1;
    for (int32_t k = 0; k < surface->layerCount; ++k) {
        const TextureLayer* layer = &raw->layers[k];
        uint32_t flags = layerFlagsFor(layer);
        surface->layerFlags[k] = flags;
        if (layerIsBlended(flags)) mesh->hasBlending = 1;
        if (layer->channel == CHANNEL_BUMP) surface->bumpLayer = static_cast<uint8_t>(k + 1);
        if (layer->image) {
            int32_t frames = layer->image->end - layer->image->start;
            if (frames > surface->displayListCount) surface->displayListCount = frames;
        }
    }
}

void copyWeightMapNames(Mesh* mesh, const RawObject* object) {
    int32_t count = object->weightMapCount < OBJECT_WEIGHT_MAPS ? object->weightMapCount : OBJECT_WEIGHT_MAPS;
    if (count <= 0) return;
    mesh->weightMapNames = static_cast<char**>(std::calloc(size_t(count), sizeof(char*)));
    if (!mesh->weightMapNames) outOfMemory("the weight maps of %s", mesh->path);
    for (int32_t w = 0; w < count; ++w) {
        size_t length = strnlen(object->weightMapNames[w], OBJECT_MAP_NAME_LENGTH - 1);
        char* name = static_cast<char*>(std::malloc(length + 1));
        if (!name) outOfMemory("the weight maps of %s", mesh->path);
        std::memcpy(name, object->weightMapNames[w], length);
        name[length] = '\0';
        mesh->weightMapNames[w] = name;
        mesh->weightMapCount = static_cast<uint8_t>(w + 1);
    }
}

void putOnDevice(RenderState* render, const Scene* scene, Mesh* mesh, const RawObject* object,
                 const SurfaceGeometry* geometry) {
    const Settings* settings = scene && scene->settings ? scene->settings : &render->settings;
    int32_t clipTexture[OBJECT_CLIPS];
    loadObjectTextures(render, object, settings, clipTexture);
    for (int32_t s = 0; s < mesh->surfaceCount; ++s) {
        Surface* surface = &mesh->surfaces[s];
        const RawSurface* raw = &object->surfaces[s];
        for (int32_t k = 0; k < surface->layerCount; ++k) {
            const ImageClip* clip = raw->layers[k].image;
            if (clip >= object->clips && clip < object->clips + object->clipCount)
                surface->layerTexture[k] = clipTexture[clip - object->clips];
        }
    }

    // Executing the lists turns depth writes off and blending on for blended layers, and changes the
    // material: the loading screen drawn next must not inherit that.
    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_LIGHTING_BIT);
    TextureUnitLimits units = textureUnitLimits(render, settings);
    for (int32_t s = 0; s < mesh->surfaceCount; ++s)
        buildSurfaceLists(&mesh->surfaces[s], &object->surfaces[s], &render->textures, settings, units);
    glPopAttrib();
    for (int32_t s = 0; s < mesh->surfaceCount; ++s) uploadSurfaceGeometry(&mesh->surfaces[s], &geometry[s]);
    resetTextureUnitCount(settings->maxTextureUnits);
}

}  // namespace

int findMesh(const MeshCache* cache, const char* path) {
    for (int32_t m = 0; m < cache->count && m < MESH_CACHE_CAPACITY; ++m)
        if (std::strcmp(cache->entries[m].path, path) == 0) return m;
    return -1;
}

void attachMesh(RenderState* render, SceneItem* item, int32_t meshIndex) {
    Mesh* mesh = &render->meshes.entries[meshIndex];
    SurfaceInstance* instances = nullptr;
    if (mesh->surfaceCount > 0) {
        instances = static_cast<SurfaceInstance*>(std::calloc(size_t(mesh->surfaceCount), sizeof(SurfaceInstance)));
        if (!instances) outOfMemory("the surfaces of an item showing %s", mesh->path);
        for (int32_t s = 0; s < mesh->surfaceCount; ++s) instances[s].surface = &mesh->surfaces[s];
    }
    item->mesh = mesh;
    item->meshIndex = meshIndex;
    item->surfaceCount = mesh->surfaceCount;
    item->surfaces = instances;
}

int buildMesh(RenderState* render, Scene* scene, SceneItem* item) {
    item->mesh = nullptr;
    item->meshIndex = -1;
    item->surfaceCount = 0;
    item->surfaces = nullptr;
    MeshCache* cache = &render->meshes;
    if (cache->count >= MESH_CACHE_CAPACITY) {
        showError("Object %s cannot be loaded: %d objects are loaded already, the most there can be",
                  item->name, MESH_CACHE_CAPACITY);
        return -1;
    }
    RawObject* object = readObject(item->name);
    if (!object) return -1;
    int bumpMap = checkBumpMaps(object, item->name);
    if (bumpMap >= 0) computeFaceTangents(object, bumpMap);

    std::vector<SurfaceGeometry> geometry(size_t(object->surfaceCount));
    UvCursor cursor = {0.0f, 0.0f};
    for (int32_t s = 0; s < object->surfaceCount; ++s) {
        if (buildSurfaceGeometry(object, s, &cursor, &geometry[size_t(s)]) == GEOMETRY_OK) continue;
        showError("Object %s cannot be loaded: its surface \"%s\" needs more than %d vertices, the most one "
                  "surface can have",
                  item->name, object->surfaces[s].name, MESH_MAX_SURFACE_VERTICES);
        freeRawObject(object);
        return -1;
    }

    int32_t index = cache->count;
    Mesh* mesh = &cache->entries[index];
    std::memset(mesh, 0, sizeof *mesh);
    std::memcpy(mesh->path, item->name, strnlen(item->name, sizeof mesh->path - 1));
    copyWeightMapNames(mesh, object);
    if (object->surfaceCount > 0) {
        mesh->surfaces = static_cast<Surface*>(std::calloc(size_t(object->surfaceCount), sizeof(Surface)));
        if (!mesh->surfaces) outOfMemory("the surfaces of %s", item->name);
    }
    mesh->surfaceCount = object->surfaceCount;
    for (int32_t s = 0; s < object->surfaceCount; ++s) {
        Surface* surface = &mesh->surfaces[s];
        fillSurface(surface, &object->surfaces[s], mesh);
        surface->vertexStride = 4 * geometry[size_t(s)].layout.floats;
        surface->triangleCount = geometry[size_t(s)].triangleCount;
        setShadowPrograms(render, surface, mesh->weightMapCount > 0);
    }
    if (meshDeviceReady(render)) putOnDevice(render, scene, mesh, object, geometry.data());
    freeRawObject(object);
    cache->count++;
    attachMesh(render, item, index);
    return index;
}

void releaseMesh(Mesh* mesh) {
    for (int32_t w = 0; mesh->weightMapNames && w < mesh->weightMapCount; ++w) std::free(mesh->weightMapNames[w]);
    std::free(mesh->weightMapNames);
    if (mesh->surfaces)
        for (int32_t s = 0; s < mesh->surfaceCount; ++s) std::free(mesh->surfaces[s].displayLists);
    std::free(mesh->surfaces);
    std::memset(mesh, 0, sizeof *mesh);
}
