// "demotool check": the walk over everything a production refers to, shared by its source files.
#pragma once
#include <map>
#include <set>
#include <string>
#include <vector>

#include "effects/effect_binding.h"

struct RawObject;

struct CheckReport {
    std::vector<std::string> used;               // every referenced path, in the order first met
    std::map<std::string, std::string> usedBy;   // path -> who first referred to it
    std::vector<std::string> missing;            // "PATH (used by WHO)"
    std::vector<std::string> warnings;           // "PATH: text", each once
    std::set<std::string> warned;
    std::vector<std::string> effects;            // "FAMILY NAME SCENE"
    std::map<std::string, RawObject*> objects;   // read once each; null when unreadable
};

// Records a reference; true when the package holds the file.
bool checkUse(CheckReport* report, const std::string& path, const std::string& by);
void checkWarn(CheckReport* report, const std::string& path, const std::string& text);
// The object (read and cached on first use), or null when it is missing or cannot be read.
const RawObject* checkObject(CheckReport* report, const std::string& path, const std::string& by);
// The whole file as text, or false when the package does not hold it.
bool checkText(const std::string& path, std::string* out);

// How a scene uses an object: the limits of the device depend on the scene's lights and setup.
struct SurfaceContext {
    std::string scene;
    int lights;
    bool shadows;        // its surfaces receive shadows: they need a caustics layer
    bool texturePeriod;  // image sequences can animate
};
// Image clips (with every frame of a sequence) and the surfaces against the device limits.
void checkObjectUse(CheckReport* report, const std::string& path, const std::string& by,
                    const SurfaceContext& context);

// What effects expect of their files.
void checkFishObject(CheckReport* report, const std::string& path, const std::vector<float>& bodyLengths);
void checkSwimmingObject(CheckReport* report, const std::string& path);
void checkSoftBodyObject(CheckReport* report, const std::string& path, const std::vector<const EffectBinding*>& rows);
void checkLightBlobScene(CheckReport* report, const std::string& path);
void checkProgramFile(CheckReport* report, const std::string& path, const char* header);
// A typing text holding at least `entries` entries.
void checkTypingText(CheckReport* report, const std::string& path, int entries);
