// Object and null items of a scene file, with the bones of objects.
#include <cstdlib>
#include <cstring>

#include "base/out_of_memory.h"
#include "scene/lws_read_state.h"
#include "scene/lws_reader.h"
#include "scene/scene.h"

namespace {

// Words that start another block: a bone or item missing its closing keyword ends there instead of
// taking the next block's values for its own.
const char* const kItemStarts[] = {"LoadObjectLayer", "AddNullObject", "AddLight", "AddCamera", nullptr};
const char* const kBoneEnds[] = {"AddBone", "ShadowOptions", "LoadObjectLayer", "AddNullObject",
                                 "AddLight", "AddCamera", nullptr};

bool isOneOf(const LwsReader* r, const char* const* words) {
    for (; *words; ++words)
        if (lwsIs(r, *words)) return true;
    return false;
}

void freeMotion(Envelope* envelopes, int count) {
    for (int c = 0; c < count; ++c) {
        std::free(envelopes[c].keys);
        envelopes[c].keys = nullptr;
        envelopes[c].keyCount = 0;
    }
}

bool boneKeyword(LwsReader* r, const char* keyword, const char* owner) {
    if (!lwsNext(r)) return lwsRefuse(r, "it ends inside a bone of %s", owner);
    if (lwsSkipTo(r, keyword, kBoneEnds)) return true;
    if (r->atEnd) return lwsRefuse(r, "it ends inside a bone of %s", owner);
    return lwsRefuse(r, "a bone of %s has no %s", owner, keyword);
}

// From the current token AddBone; the word after the bone is left as the current token.
bool readBone(LwsReader* r, SceneItem* item, bool keptItem, bool* reported) {
    const bool kept = keptItem && item->boneCount < ITEM_BONES;
    if (keptItem && !kept && !*reported) {
        lwsWarn(r, "%s has more than %d bones; those after the %dth are left out", item->name, ITEM_BONES,
                ITEM_BONES);
        *reported = true;
    }
    if (kept && !item->bones) {
        item->bones = static_cast<Bone*>(std::calloc(ITEM_BONES, sizeof(Bone)));
        if (!item->bones) outOfMemory("the bones of %s", item->name);
    }
    Bone scratch;
    Bone* bone = kept ? &item->bones[item->boneCount++] : &scratch;
    std::memset(bone, 0, sizeof *bone);

    char weightMap[LWS_TOKEN_LENGTH];
    bool ok = boneKeyword(r, "BoneRestPosition", item->name) &&
              lwsFloats(r, bone->restPosition, 3, "BoneRestPosition") && lwsNext(r) &&
              lwsFloats(r, bone->restDirection, 3, "BoneRestDirection") && lwsNext(r) &&
              lwsFloat(r, &bone->restLength, "BoneRestLength") && lwsNext(r) && lwsNext(r);
    if (ok) std::memcpy(weightMap, r->token, sizeof weightMap);
    else if (!r->refused) lwsRefuse(r, "it ends inside a bone of %s", item->name);
    ok = ok && boneKeyword(r, "BoneMotion", item->name);
    if (ok && !readMotion(bone->motion, MOTION_CHANNELS, r->file)) {
        r->refused = true;
        ok = false;
    }
    if (ok) {
        // A bone without its own ParentItem hangs from nothing rather than taking a later block's.
        if (!lwsNext(r)) ok = lwsRefuse(r, "it ends inside a bone of %s", item->name);
        else if (lwsSkipTo(r, "ParentItem", kBoneEnds))
            ok = lwsHex(r, &bone->parentRef, "ParentItem") &&
                 (lwsNext(r) || lwsRefuse(r, "it ends inside %s", item->name));
        else if (r->atEnd)
            ok = lwsRefuse(r, "it ends inside a bone of %s", item->name);
    }
    if (ok && item->mesh) {
        for (int32_t w = 0; w < item->mesh->weightMapCount; ++w) {
            if (std::strcmp(item->mesh->weightMapNames[w], weightMap) == 0) {
                bone->weightMapIndex = w;
                break;
            }
        }
    }
    if (!kept) freeMotion(bone->motion, MOTION_CHANNELS);
    return ok;
}

bool readItemInto(LwsReader* r, SceneItem* item, bool kept) {
    const bool isNull = lwsIs(r, "AddNullObject");
    const char* kind = isNull ? "a null" : "an object";
    if (!isNull && !lwsNext(r)) return lwsRefuse(r, "it ends inside %s item", kind);  // layer number
    if (!isNull && r->version >= 4 && !lwsNext(r)) return lwsRefuse(r, "it ends inside %s item", kind);
    if (!lwsNext(r)) return lwsRefuse(r, "it ends inside %s item", kind);
    const size_t length = std::strlen(r->token);
    std::memcpy(item->name, r->token, length < ITEM_NAME_LENGTH ? length : ITEM_NAME_LENGTH - 1);
    item->isNull = isNull ? 1 : 0;
    if (length >= ITEM_NAME_LENGTH) {
        lwsWarn(r, "the name of %s item, \"%s...\", is longer than %d characters%s", kind, item->name,
                ITEM_NAME_LENGTH - 1, isNull ? " and is cut" : "; its object is not loaded");
    } else if (!isNull && kept) {
        if (r->device && r->device->attachObject) r->device->attachObject(r->device->user, r->scene, item);
    }
    if (!readMotion(item->motion, MOTION_CHANNELS, r->file)) {
        r->refused = true;
        return false;
    }
    bool bonesReported = false;
    if (!lwsNext(r)) return lwsRefuse(r, "it ends inside the item %s", item->name);
    while (!lwsIs(r, "ShadowOptions")) {
        if (isOneOf(r, kItemStarts)) return true;  // no ShadowOptions: the item ends at the next block
        if (!isNull && lwsIs(r, "AddBone")) {
            if (!readBone(r, item, kept, &bonesReported)) return false;
            continue;  // the bone left the next token to look at
        }
        if (!isNull && lwsIs(r, "PivotPosition")) {
            if (!lwsFloats(r, item->pivot, 3, "PivotPosition")) return false;
        } else if (lwsIs(r, "ParentItem")) {
            if (!lwsHex(r, &item->parentRef, "ParentItem")) return false;
        }
        if (!lwsNext(r)) return lwsRefuse(r, "it ends inside the item %s", item->name);
    }
    // The value of ShadowOptions, then the word that starts whatever follows.
    lwsNext(r);
    lwsNext(r);
    return true;
}

}  // namespace

bool lwsReadItem(LwsReader* r) {
    Scene* scene = r->scene;
    const bool kept = scene->itemCount < SCENE_ITEMS;
    if (!kept && !r->itemsReported) {
        lwsWarn(r, "it has more than %d objects and nulls; those after the %dth are left out", SCENE_ITEMS,
                SCENE_ITEMS);
        r->itemsReported = true;
    }
    SceneItem scratch;
    // Counted at once, so that a refusal half-way frees what the item took.
    SceneItem* item = kept ? &scene->items[scene->itemCount++] : &scratch;
    std::memset(item, 0, sizeof *item);
    item->meshIndex = -1;
    bool ok = readItemInto(r, item, kept);
    if (!kept) lwsFreeItem(item);
    return ok;
}

void lwsFreeItem(SceneItem* item) {
    freeMotion(item->motion, MOTION_CHANNELS);
    if (item->bones) {
        for (int32_t b = 0; b < item->boneCount && b < ITEM_BONES; ++b) freeMotion(item->bones[b].motion, MOTION_CHANNELS);
        std::free(item->bones);
    }
    item->bones = nullptr;
    item->boneCount = 0;
    std::free(item->surfaces);
    item->surfaces = nullptr;
    item->surfaceCount = 0;
}
