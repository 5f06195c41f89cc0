// Playing an unpacked production folder, and reloading what depends on a file when an author saves
// it: the demo goes on at the same demo time with the new version, or keeps the old one when the new
// one fails to load.
#pragma once

struct DemoContext;

// Loads the folder's files as the package and starts watching it. False after an "Error" message
// when the folder cannot be read.
bool openProductionTree(const char* dir);
// True when a folder plays: its package stays loaded for reloading.
bool playingTree();
// The loading of the timeline's main section, the clip script and the effects, noting when a folder
// plays which files each scene and the clip script read.
void loadProductionContent(DemoContext* context);
// At a frame of the running demo: reloads what depends on the files saved since the last call.
// Nothing happens without a folder or before the clock starts.
void reloadChangedFiles(DemoContext* context);
// The outcome of the last reload as one line ("" before any): what was reloaded, or the problem
// and that the previous version stays on screen.
const char* lastReloadMessage();
// Stops watching.
void closeProductionTree();
