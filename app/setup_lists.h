// What the setup dialog lists and what its choices make of the settings: plain functions over
// the platform's display modes and pixel formats.
#pragma once

#include "platform/platform.h"

struct DeviceCaps;
struct Settings;

enum { DIALOG_LIST_CAPACITY = 64, DIALOG_ITEM_LENGTH = 32, SETUP_MODE_CAPACITY = 256, SETUP_FORMAT_CAPACITY = 1024 };

// A drop-down list's items in insertion order, with the selected index (-1 for none).
struct DialogList {
    char items[DIALOG_LIST_CAPACITY][DIALOG_ITEM_LENGTH];
    int count;
    int selected;
    int dropped;  // items left out of a full list
};

// Inserts text at position (count appends); false when the list is full.
bool listInsert(DialogList* list, int position, const char* text);
// The first item that begins with prefix, or -1.
int listFindPrefix(const DialogList* list, const char* prefix);

void buildShadowMapList(DialogList* list);
void buildAnisotropyList(const DeviceCaps* caps, int maxAnisotropy, DialogList* list);
void buildSampleList(const DeviceCaps* caps, const PixelFormatSamples* formats, int count, DialogList* list);
void buildModeList(const DisplayModeInfo* modes, int count, DialogList* list);

// The texts of the selected items (empty when a list has nothing selected) and the check boxes.
struct SetupChoices {
    const char* mode;
    const char* samples;
    const char* anisotropy;
    const char* shadowMap;
    bool windowed;
    bool noMusic;
    bool loop;
};

// Reads the choices into settings: "none" is 0; a list without selection leaves its fields as they were.
void applySetupChoices(const SetupChoices* choices, const DisplayModeInfo* modes, int modeCount, Settings* settings);

// What the setup dialog opens with: its four lists and the display modes the mode list came from.
struct SetupLists {
    DialogList mode, samples, anisotropy, shadowMap;
    DisplayModeInfo modes[SETUP_MODE_CAPACITY];
    int modeCount;
};
void buildSetupLists(const DeviceCaps* caps, int maxAnisotropy, const PixelFormatSamples* formats, int formatCount,
                     const DisplayModeInfo* modes, int modeCount, SetupLists* lists);
// The same from what the window system reports.
void buildSetupListsFromDisplay(const DeviceCaps* caps, int maxAnisotropy, SetupLists* lists);
// The preselected items with every box unticked: what "Start" reads when nothing is changed.
SetupChoices initialSetupChoices(const SetupLists* lists);
