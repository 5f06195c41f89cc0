// The memory side of mesh building: materials, layer flags and surface instances. Vertex and index
// buffers, textures and display lists are created from the same RawObject before it is freed.
#include "scene/mesh_build.h"

#include <cstdlib>
#include <cstring>

#include "app/demo_context.h"
#include "app/shutdown.h"
#include "scene/layer_flags.h"
#include "scene/lwo_reader.h"

namespace {

// Every bump layer of an object must use the UV map of its first one: tangents are built once per
// triangle from that map.
void checkBumpMaps(const RawObject* object, const char* path) {
    int bumpMap = -1;
    for (int32_t s = 0; s < object->surfaceCount; ++s) {
        const RawSurface* raw = &object->surfaces[s];
        for (int k = 0; k < raw->layerCount && k < OBJECT_SURFACE_LAYERS; ++k) {
            if (raw->layers[k].channel != CHANNEL_BUMP) continue;
            if (bumpMap < 0) {
                bumpMap = raw->layers[k].uvMap;
            } else if (bumpMap != raw->layers[k].uvMap) {
                showError("Object %s has two different BumpUV maps", path);
                fatalExit(EXIT_OK);
            }
        }
    }
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

bool copyWeightMapNames(Mesh* mesh, const RawObject* object) {
    int32_t count = object->weightMapCount < OBJECT_WEIGHT_MAPS ? object->weightMapCount : OBJECT_WEIGHT_MAPS;
    if (count <= 0) return true;
    mesh->weightMapNames = static_cast<char**>(std::calloc(size_t(count), sizeof(char*)));
    if (!mesh->weightMapNames) return false;
    for (int32_t w = 0; w < count; ++w) {
        size_t length = strnlen(object->weightMapNames[w], OBJECT_MAP_NAME_LENGTH - 1);
        char* name = static_cast<char*>(std::malloc(length + 1));
        if (!name) return false;
        std::memcpy(name, object->weightMapNames[w], length);
        name[length] = '\0';
        mesh->weightMapNames[w] = name;
        mesh->weightMapCount = static_cast<uint8_t>(w + 1);
    }
    return true;
}

}  // namespace

int findMesh(const MeshCache* cache, const char* path) {
    for (int32_t m = 0; m < cache->count && m < MESH_CACHE_CAPACITY; ++m)
        if (std::strcmp(cache->entries[m].path, path) == 0) return m;
    return -1;
}

bool attachMesh(DemoContext* context, SceneItem* item, int32_t meshIndex) {
    Mesh* mesh = &context->meshes.entries[meshIndex];
    SurfaceInstance* instances = nullptr;
    if (mesh->surfaceCount > 0) {
        instances = static_cast<SurfaceInstance*>(std::calloc(size_t(mesh->surfaceCount), sizeof(SurfaceInstance)));
        if (!instances) {
            showError("Object %s: out of memory for the surfaces of an item", mesh->path);
            return false;
        }
        for (int32_t s = 0; s < mesh->surfaceCount; ++s) instances[s].surface = &mesh->surfaces[s];
    }
    item->mesh = mesh;
    item->meshIndex = meshIndex;
    item->surfaceCount = mesh->surfaceCount;
    item->surfaces = instances;
    return true;
}

int buildMesh(DemoContext* context, Scene* scene, SceneItem* item) {
    (void)scene;  // its settings choose texture filtering once textures are made here
    item->mesh = nullptr;
    item->meshIndex = -1;
    item->surfaceCount = 0;
    item->surfaces = nullptr;
    MeshCache* cache = &context->meshes;
    if (cache->count >= MESH_CACHE_CAPACITY) {
        showError("Object %s cannot be loaded: %d objects are loaded already, the most there can be",
                  item->name, MESH_CACHE_CAPACITY);
        return -1;
    }
    RawObject* object = readObject(item->name);
    if (!object) return -1;
    checkBumpMaps(object, item->name);

    int32_t index = cache->count;
    Mesh* mesh = &cache->entries[index];
    std::memset(mesh, 0, sizeof *mesh);
    std::memcpy(mesh->path, item->name, strnlen(item->name, sizeof mesh->path - 1));
    bool ok = copyWeightMapNames(mesh, object);
    if (ok && object->surfaceCount > 0) {
        mesh->surfaces = static_cast<Surface*>(std::calloc(size_t(object->surfaceCount), sizeof(Surface)));
        ok = mesh->surfaces != nullptr;
    }
    if (ok) {
        mesh->surfaceCount = object->surfaceCount;
        for (int32_t s = 0; s < object->surfaceCount; ++s) fillSurface(&mesh->surfaces[s], &object->surfaces[s], mesh);
    }
    freeRawObject(object);
    if (!ok) {
        showError("Object %s: out of memory for its surfaces", item->name);
        releaseMesh(mesh);
        return -1;
    }
    cache->count++;
    if (!attachMesh(context, item, index)) return -1;
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
