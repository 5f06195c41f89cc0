#include <cstdlib>
#include <vector>

#include "base/out_of_memory.h"
#include "base/report.h"
#include "render/device_release.h"
#include "render/render_state.h"
#include "timeline/clip_list.h"
#include "timeline/timeline_state.h"

namespace {

struct Marks {
    uint8_t textures[TEXTURE_CACHE_CAPACITY];
    uint8_t meshes[MESH_CACHE_CAPACITY];
};

// The mesh cache index of an item's mesh; -1 for nulls and anything not in the cache.
int meshIndexOf(const RenderState* render, const SceneItem* item) {
    if (!item->mesh) return -1;
    const Mesh* first = render->meshes.entries;
    if (item->mesh < first || item->mesh >= first + render->meshes.count) return -1;
    return static_cast<int>(item->mesh - first);
}

// Marks the meshes of a scene's items and the textures of their surfaces. With a node, what was not
// marked yet is also appended to its free lists.
void markScene(const RenderState* render, const Scene* scene, Marks* marks, GcNode* node) {
    if (!scene->items) return;
    for (int32_t i = 0; i < scene->itemCount; ++i) {
        int m = meshIndexOf(render, &scene->items[i]);
        if (m < 0 || marks->meshes[m]) continue;
        const Mesh* mesh = &render->meshes.entries[m];
        for (int32_t s = 0; mesh->surfaces && s < mesh->surfaceCount; ++s) {
            const Surface* surface = &mesh->surfaces[s];
            int32_t layers = surface->layerCount < SURFACE_LAYERS ? surface->layerCount : SURFACE_LAYERS;
            for (int32_t l = 0; l < layers; ++l) {
                int32_t t = surface->layerTexture[l];
                if (t < 0 || t >= render->textures.count || t >= TEXTURE_CACHE_CAPACITY) continue;
                if (marks->textures[t]) continue;
                marks->textures[t] = 1;
                if (node) node->textures[node->textureCount++] = t;
            }
        }
        marks->meshes[m] = 1;
        if (node) node->meshes[node->meshCount++] = m;
    }
}

const Clip* firstClipFrom(const TimelineState* timeline, int32_t time) {
    const Clip* clip = timeline->clipHead;
    while (clip && clip->start < time) clip = clip->next;
    return clip;
}

// previousTime: the time of the point before, 0 for the first. False when the point lies after the
// clip list's tail, which the caller ends the process for.
bool buildGcNode(const TimelineState* timeline, const RenderState* render, GcNode* node, int32_t previousTime) {
    Marks marks = {};
    node->textureCount = 0;
    node->meshCount = 0;

    // Keep what the clip in force just before the point and every later clip shows.
    const Clip* kept = firstClipFrom(timeline, node->time);
    if (!kept) return false;
    if (kept->prev) kept = kept->prev;
    for (const Clip* clip = kept; clip; clip = clip->next)
        if (clip->scene) markScene(render, clip->scene, &marks, nullptr);

    // Free the rest of what the clips that ended since the previous point showed, beginning with the
    // clip that was in force at that point: the previous point had to keep it. The walk stops at the
    // tail at the latest: the tail starts at the duration, which is not before the point.
    const Clip* clip = firstClipFrom(timeline, previousTime);
    if (!clip) return false;
    if (clip->prev) clip = clip->prev;
    for (; clip->next && clip->next->start < node->time; clip = clip->next)
        if (clip->scene) markScene(render, clip->scene, &marks, node);
    return true;
}

}  // namespace

bool programInUse(const TimelineState* timeline, uint32_t program, bool fragment) {
    for (int32_t k = 0; timeline->scenes && k < timeline->sceneCount; ++k) {
        const Scene* scene = &timeline->scenes[k];
        for (int32_t i = 0; scene->items && i < scene->itemCount; ++i) {
            const SceneItem* item = &scene->items[i];
            for (int32_t s = 0; item->surfaces && s < item->surfaceCount; ++s) {
                const SurfaceInstance* instance = &item->surfaces[s];
                if ((fragment ? instance->fragmentProgram : instance->vertexProgram) == program) return true;
            }
        }
    }
    return false;
}

void addGcPoint(TimelineState* s, const RenderState* render, int32_t t) {
    if (s->gcTail) {
        if (t < s->gcTail->time) fatalExit(EXIT_GC_ORDER);
        if (t == s->gcTail->time) return;
    }
    GcNode* node = static_cast<GcNode*>(std::calloc(1, sizeof(GcNode)));
    if (!node) outOfMemory("a garbage-collection point");
    node->time = t;
    if (!buildGcNode(s, render, node, s->gcTail ? s->gcTail->time : 0)) {
        std::free(node);
        fatalExit(EXIT_GC_ORDER);
    }
    node->prev = s->gcTail;
    if (s->gcTail)
        s->gcTail->next = node;
    else
        s->gcHead = node;
    s->gcTail = node;
}

void rebuildGcLists(TimelineState* timeline, const RenderState* render) {
    for (GcNode* node = timeline->gcHead; node; node = node->next)
        if (!buildGcNode(timeline, render, node, node->prev ? node->prev->time : 0)) fatalExit(EXIT_GC_ORDER);
}

void collect(TimelineState* timeline, RenderState* render, GcNode* node) {
    for (int32_t k = 0; k < node->textureCount; ++k) {
        TextureImage* image = &render->textures.entries[node->textures[k]];
        // Only the first frame of a sequence is released.
        if (image->names && image->names[0]) releaseTextureName(&image->names[0]);
    }

    std::vector<uint32_t> vertexPrograms, fragmentPrograms;
    for (int32_t k = 0; k < node->meshCount; ++k) {
        Mesh* mesh = &render->meshes.entries[node->meshes[k]];
        for (int32_t s = 0; mesh->surfaces && s < mesh->surfaceCount; ++s) deleteMeshBuffers(&mesh->surfaces[s]);
        for (int32_t c = 0; timeline->scenes && c < timeline->sceneCount; ++c) {
            Scene* scene = &timeline->scenes[c];
            for (int32_t i = 0; scene->items && i < scene->itemCount; ++i) {
                SceneItem* item = &scene->items[i];
                if (item->mesh != mesh) continue;
                for (int32_t s = 0; item->surfaces && s < item->surfaceCount; ++s) {
                    SurfaceInstance* instance = &item->surfaces[s];
                    if (instance->vertexProgram) vertexPrograms.push_back(instance->vertexProgram);
                    if (instance->fragmentProgram) fragmentPrograms.push_back(instance->fragmentProgram);
                    instance->vertexProgram = 0;
                    instance->fragmentProgram = 0;
                }
            }
        }
    }
    // Each program once, and only when no remaining item uses it.
    for (size_t k = 0; k < vertexPrograms.size(); ++k) {
        uint32_t program = vertexPrograms[k];
        bool seen = false;
        for (size_t j = 0; j < k && !seen; ++j) seen = vertexPrograms[j] == program;
        if (!seen && !programInUse(timeline, program, false)) deleteMaterialProgram(program, false);
    }
    for (size_t k = 0; k < fragmentPrograms.size(); ++k) {
        uint32_t program = fragmentPrograms[k];
        bool seen = false;
        for (size_t j = 0; j < k && !seen; ++j) seen = fragmentPrograms[j] == program;
        if (!seen && !programInUse(timeline, program, true)) deleteMaterialProgram(program, true);
    }
}
