// LightWave scene files (".lws", LWSC text as LightWave 6 writes it) read into a scene slot.
#pragma once

#include <cstddef>

struct Scene;
struct SceneItem;

// What the device side does while a scene is read: the reader itself makes no GL object.
struct SceneDeviceHooks {
    void* user;
    // Gives an object item its mesh, from the mesh cache or newly built.
    void (*attachObject)(void* user, Scene* scene, SceneItem* item);
    // After the items, lights and cameras: false with the reason in why when the device cannot draw
    // the scene; else its material programs are made.
    bool (*finishScene)(void* user, Scene* scene, char* why, size_t whySize);
};

// Reads the scene file at path into scene: object and null items (their meshes through the device
// hooks, which may be null), bones, lights, cameras, backdrop and fog; then the device hooks finish
// the scene. Parent links stay ItemRefs until
// resolveSceneLinks.
// What is past a capacity (256 items, 8 lights, 8 cameras, 50 bones per item) is reported and left
// out; an object file that cannot be read leaves its item without a mesh (mesh null, meshIndex -1,
// no surfaces). A file whose structure is broken (cut short, numbers missing, blocks out of order)
// is reported and refused: false, with everything the loader took released.
// A file that is not in the package is reported and leaves the scene empty (true).
bool loadScene(const SceneDeviceHooks* device, Scene* scene, const char* path);

// Turns every item's and bone's ItemRef into a pointer with its kind. A reference to something the
// scene does not hold is reported (path names the file) and leaves the item or bone unparented.
void resolveSceneLinks(Scene* scene, const char* path);

// Frees the items (with their surface instances, bones and motions), and the envelopes of lights and
// cameras; counts go to 0. Meshes stay in the cache; the setup block is left alone.
void releaseSceneContents(Scene* scene);
