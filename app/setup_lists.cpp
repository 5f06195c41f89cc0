#include "app/setup_lists.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "app/demo_context.h"
#include "render/device_caps.h"

bool listInsert(DialogList* list, int position, const char* text) {
    if (list->count >= DIALOG_LIST_CAPACITY) return false;
    if (position < 0 || position > list->count) position = list->count;
    std::memmove(list->items[position + 1], list->items[position],
                 sizeof list->items[0] * (list->count - position));
    std::snprintf(list->items[position], DIALOG_ITEM_LENGTH, "%s", text);
    ++list->count;
    return true;
}

int listFindPrefix(const DialogList* list, const char* prefix) {
    size_t length = std::strlen(prefix);
    for (int i = 0; i < list->count; ++i)
        if (std::strncmp(list->items[i], prefix, length) == 0) return i;
    return -1;
}

namespace {

void clearList(DialogList* list) {
    list->count = 0;
    list->selected = -1;
    list->dropped = 0;
}

// Says once when the list is full.
void addUnlessListed(DialogList* list, const char* text) {
    if (listFindPrefix(list, text) >= 0) return;
    if (!listInsert(list, list->count, text) && list->dropped++ == 0)
        std::fprintf(stderr, "velmora: the setup list holds %d items; \"%s\" and later ones are left out\n",
                     DIALOG_LIST_CAPACITY, text);
}

}  // namespace

void buildShadowMapList(DialogList* list) {
    clearList(list);
    for (const char* text : {"256 x 256", "512 x 512", "1024 x 1024"}) listInsert(list, list->count, text);
    list->selected = 1;
}

void buildAnisotropyList(const DeviceCaps* caps, int maxAnisotropy, DialogList* list) {
    clearList(list);
    listInsert(list, 0, "none");
    if (caps->states[EXT_EXT_TEXTURE_FILTER_ANISOTROPIC] == EXTENSION_FOUND) {
        // Halving from the top, each level goes in right after "none": the list ascends.
        for (int a = maxAnisotropy; a > 0; a /= 2) {
            if (a == 1) continue;
            char text[DIALOG_ITEM_LENGTH];
            std::snprintf(text, sizeof text, "x%d", a);
            listInsert(list, 1, text);
        }
    }
    // The highest level, except on a software renderer: there the levels stay on offer, but playing
    // with the one preselected must not take minutes a frame.
    list->selected = softwareRenderer(caps) ? 0 : list->count - 1;
}

void buildSampleList(const DeviceCaps* caps, const PixelFormatSamples* formats, int count, DialogList* list) {
    clearList(list);
    listInsert(list, 0, "none");
    if (caps->states[EXT_ARB_MULTISAMPLE] == EXTENSION_FOUND &&
        caps->states[EXT_WGL_ARB_MULTISAMPLE] == EXTENSION_FOUND) {
        for (int i = 0; i < count; ++i) {
            if (!formats[i].sampleBuffers) continue;
            char text[DIALOG_ITEM_LENGTH];
            std::snprintf(text, sizeof text, "%d samples", formats[i].samples);
            addUnlessListed(list, text);
        }
    }
    list->selected = list->count - 1;
}

void buildModeList(const DisplayModeInfo* modes, int count, DialogList* list) {
    clearList(list);
    for (int i = 0; i < count; ++i) {
        if (modes[i].bitsPerPixel != 32) continue;
        char text[DIALOG_ITEM_LENGTH];
        std::snprintf(text, sizeof text, "%dx%d %d bpp", modes[i].width, modes[i].height, 32);
        addUnlessListed(list, text);
    }
    list->selected = listFindPrefix(list, "640x480 32 bpp");
}

namespace {

// "x8" or "4 samples"; "none" is 0; an empty text (no selection) leaves the value.
void readLevel(const char* text, const char* format, int32_t* value) {
    int a;
    if (!text) return;
    if (std::strcmp(text, "none") == 0) *value = 0;
    else if (std::sscanf(text, format, &a) == 1) *value = a;
}

const char* selectedText(const DialogList* list) {
    return list->selected >= 0 && list->selected < list->count ? list->items[list->selected] : "";
}

}  // namespace

void applySetupChoices(const SetupChoices* c, const DisplayModeInfo* modes, int modeCount, Settings* s) {
    int a, b, bits;
    if (c->shadowMap && std::sscanf(c->shadowMap, "%d x", &a) == 1) s->shadowMapSize = a;
    if (c->mode && std::sscanf(c->mode, "%dx%d %d bpp", &a, &b, &bits) == 3) {
        s->width = a;
        s->height = b;
        s->colorBits = bits;
    }
    readLevel(c->anisotropy, "x%d", &s->anisotropy);
    readLevel(c->samples, "%d samples", &s->samples);
    s->noMusic = c->noMusic ? 1 : 0;
    s->fullscreen = c->windowed ? 0 : 1;
    s->loop = c->loop ? 1 : 0;
    s->refreshRate = 0;
    for (int i = 0; i < modeCount; ++i)
        if (modes[i].bitsPerPixel == s->colorBits && modes[i].width == s->width && modes[i].height == s->height &&
            modes[i].refreshRate > s->refreshRate)
            s->refreshRate = modes[i].refreshRate;
}

void buildSetupLists(const DeviceCaps* caps, int maxAnisotropy, const PixelFormatSamples* formats, int formatCount,
                     const DisplayModeInfo* modes, int modeCount, SetupLists* lists) {
    buildShadowMapList(&lists->shadowMap);
    buildAnisotropyList(caps, maxAnisotropy, &lists->anisotropy);
    buildSampleList(caps, formats, formatCount, &lists->samples);
    lists->modeCount = modeCount < SETUP_MODE_CAPACITY ? modeCount : SETUP_MODE_CAPACITY;
    if (lists->modeCount > 0) std::memcpy(lists->modes, modes, sizeof modes[0] * static_cast<size_t>(lists->modeCount));
    buildModeList(lists->modes, lists->modeCount, &lists->mode);
}

void buildSetupListsFromDisplay(const DeviceCaps* caps, int maxAnisotropy, SetupLists* lists) {
    static PixelFormatSamples formats[SETUP_FORMAT_CAPACITY];
    static DisplayModeInfo modes[SETUP_MODE_CAPACITY];
    int formatCount = platformPixelFormatSamples(formats, SETUP_FORMAT_CAPACITY);
    int modeCount = platformDisplayModes(modes, SETUP_MODE_CAPACITY);
    buildSetupLists(caps, maxAnisotropy, formats, formatCount, modes, modeCount, lists);
}

SetupChoices initialSetupChoices(const SetupLists* lists) {
    return {selectedText(&lists->mode),       selectedText(&lists->samples), selectedText(&lists->anisotropy),
            selectedText(&lists->shadowMap), false, false, false};
}
