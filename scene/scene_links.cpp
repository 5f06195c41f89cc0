// Parent references of a loaded scene turned into pointers.
#include <cstdio>

#include "base/report.h"
#include "scene/lws_reader.h"
#include "scene/scene.h"

namespace {

// The record an ItemRef names, or null when the scene holds no such record.
void* lookUp(Scene* scene, ItemRef ref) {
    const uint32_t index = ref & 0x0FFFFFFFu;
    switch (ref >> 28) {
        case ITEM_OBJECT:
            return scene->items && index < uint32_t(scene->itemCount) ? &scene->items[index] : nullptr;
        case ITEM_LIGHT:
            return index < uint32_t(scene->lightCount) && index < SCENE_LIGHTS ? &scene->lights[index] : nullptr;
        case ITEM_CAMERA:
            return index < uint32_t(scene->cameraCount) && index < SCENE_CAMERAS ? &scene->cameras[index] : nullptr;
        case ITEM_BONE: {
            const uint32_t owner = ref & 0xFFFFu;
            const uint32_t bone = (ref >> 16) & 0x0FFFu;
            if (!scene->items || owner >= uint32_t(scene->itemCount)) return nullptr;
            SceneItem* item = &scene->items[owner];
            if (!item->bones || bone >= uint32_t(item->boneCount) || bone >= ITEM_BONES) return nullptr;
            return &item->bones[bone];
        }
        default:
            return nullptr;
    }
}

struct Unresolved {
    int count;
    char first[240];
};

void note(Unresolved* unresolved, const char* owner, ItemRef ref) {
    if (unresolved->count++ == 0)
        std::snprintf(unresolved->first, sizeof unresolved->first, "%.200s (ParentItem %08X)", owner, ref);
}

}  // namespace

void resolveSceneLinks(Scene* scene, const char* path) {
    Unresolved unresolved = {};
    char owner[200];
    for (int32_t i = 0; scene->items && i < scene->itemCount; ++i) {
        SceneItem* item = &scene->items[i];
        item->parent = nullptr;
        item->parentKind = ITEM_NONE;
        if (item->parentRef == 0) continue;
        item->parent = lookUp(scene, item->parentRef);
        if (item->parent) {
            item->parentKind = uint8_t(item->parentRef >> 28);
        } else {
            std::snprintf(owner, sizeof owner, "item %d, %s", i, item->name);
            note(&unresolved, owner, item->parentRef);
        }
    }
    for (int32_t i = 0; scene->items && i < scene->itemCount; ++i) {
        SceneItem* item = &scene->items[i];
        for (int32_t b = 0; item->bones && b < item->boneCount && b < ITEM_BONES; ++b) {
            Bone* bone = &item->bones[b];
            bone->parent = nullptr;
            bone->parentKind = ITEM_NONE;
            if (bone->parentRef == 0) continue;
            const uint8_t kind = uint8_t(bone->parentRef >> 28);
            void* parent = lookUp(scene, bone->parentRef);
            if (!parent) {
                std::snprintf(owner, sizeof owner, "bone %d of %s", b, item->name);
                note(&unresolved, owner, bone->parentRef);
            } else if (kind == ITEM_OBJECT || kind == ITEM_BONE) {
                bone->parent = parent;
                bone->parentKind = kind;
            } else {
                bone->parentKind = kind;  // a light or camera: the skeleton does not follow it
            }
        }
    }
    if (unresolved.count > 0)
        showError("Scene %s: %d parent reference%s name%s nothing in the scene, the first %s; left unparented.",
                  path, unresolved.count, unresolved.count > 1 ? "s" : "", unresolved.count > 1 ? "" : "s",
                  unresolved.first);
}
