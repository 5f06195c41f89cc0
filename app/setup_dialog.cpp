#include "app/setup_dialog.h"

#include "app/demo_context.h"
#include "app/setup_lists.h"
#include "platform/platform.h"
#include "render/device_caps.h"

const char* const kRequirementMessage =
    "Sorry but your graphics does not meet the requirements!\n\tCheck \"Diagnostics\" panel for explanation.";

namespace {

enum {
    ID_START = 1,
    ID_EXIT = 2,
    ID_WINDOWED = 1000,
    ID_NO_MUSIC = 1002,
    ID_LOOP = 1003,
    ID_ANISOTROPY = 1010,
    ID_ANTIALIASING = 1012,
    ID_SCREEN_MODE = 1013,
    ID_DIAGNOSTICS = 1014,
    ID_GAMMA = 1015,
    ID_SHADOW_MAP = 1016,
};

struct SetupDialogState {
    const DeviceCaps* caps;
    Settings* settings;
    SetupLists lists;
};

SetupDialogState gSetup;

void showList(PlatformDialog* dialog, int id, const DialogList* list) {
    const char* items[DIALOG_LIST_CAPACITY];
    for (int i = 0; i < list->count; ++i) items[i] = list->items[i];
    platformDialogSetList(dialog, id, items, list->count, list->selected);
}

void setupInit(PlatformDialog* dialog) {
    int screenWidth, screenHeight;
    platformDesktopSize(&screenWidth, &screenHeight);
    platformDialogPlace(dialog, (screenWidth - 410) / 2, (screenHeight - 440) / 2, 410, 320);

    SetupLists& lists = gSetup.lists;
    buildSetupListsFromDisplay(gSetup.caps, gSetup.settings->maxAnisotropy, &lists);
    showList(dialog, ID_SHADOW_MAP, &lists.shadowMap);
    showList(dialog, ID_ANISOTROPY, &lists.anisotropy);
    showList(dialog, ID_ANTIALIASING, &lists.samples);
    showList(dialog, ID_SCREEN_MODE, &lists.mode);
}

void start(PlatformDialog* dialog) {
    if (!meetsStartRequirement(gSetup.caps)) {
        platformDialogMessageBox(dialog, "Error", kRequirementMessage);
        return;
    }
    char mode[DIALOG_ITEM_LENGTH], samples[DIALOG_ITEM_LENGTH], anisotropy[DIALOG_ITEM_LENGTH],
        shadowMap[DIALOG_ITEM_LENGTH];
    platformDialogSelectedText(dialog, ID_SCREEN_MODE, mode, sizeof mode);
    platformDialogSelectedText(dialog, ID_ANTIALIASING, samples, sizeof samples);
    platformDialogSelectedText(dialog, ID_ANISOTROPY, anisotropy, sizeof anisotropy);
    platformDialogSelectedText(dialog, ID_SHADOW_MAP, shadowMap, sizeof shadowMap);
    SetupChoices choices = {mode, samples, anisotropy, shadowMap, platformDialogChecked(dialog, ID_WINDOWED),
                            platformDialogChecked(dialog, ID_NO_MUSIC), platformDialogChecked(dialog, ID_LOOP)};
    applySetupChoices(&choices, gSetup.lists.modes, gSetup.lists.modeCount, gSetup.settings);
    platformEndDialog(dialog, 1);
}

void setupCommand(PlatformDialog* dialog, int id) {
    switch (id) {
        case ID_START: start(dialog); break;
        case ID_EXIT: platformEndDialog(dialog, 0); break;
        case ID_DIAGNOSTICS: platformRunDialog(DIALOG_DIAGNOSTICS, diagnosticsDialogProcedure(), dialog); break;
        case ID_GAMMA: platformRunDialog(DIALOG_GAMMA, gammaDialogProcedure(), dialog); break;
        default: break;
    }
}

const DialogProcedure kSetupProcedure = {setupInit, setupCommand, nullptr, nullptr};

}  // namespace

void setupDialogUse(const DeviceCaps* caps, Settings* settings) {
    gSetup.caps = caps;
    gSetup.settings = settings;
}

const DeviceCaps* setupDialogCaps() { return gSetup.caps; }
const DialogProcedure* setupDialogProcedure() { return &kSetupProcedure; }

int runSetupDialog(DemoContext* context) {
    if (!platformDialogsAvailable()) return -1;
    setupDialogUse(context->render.caps, &context->render.settings);
    return platformRunDialog(DIALOG_SETUP, &kSetupProcedure, nullptr);
}
