// scenes/*.txt: LightWave scenes, and envelopes.txt: stand-alone envelope files.
//
// A scene description starts with "scene PATH" and lists objects, nulls, lights, cameras and bones
// in the order LightWave keeps them. The lines after each of these set its values:
//   position X Y Z | rotation H P B (degrees) | scale S [S S] | pivot X Y Z
//   x|y|z|heading|pitch|bank|sx|sy|sz CHANNEL     (angles in degrees)
//   path SHAPE T X Y Z T X Y Z ... [pre=B] [post=B]  (x, y and z keyed together)
//   parent NAME|INDEX          (objects, nulls: an earlier null, labelled object, or item index;
//                               bones: an earlier bone of the same object)
//   label NAME (objects) | colour R G B, intensity CHANNEL, range R, cone DEG, edge DEG (lights)
//   zoom CHANNEL, target X Y Z | target ITEM [X Y Z] (cameras: heading and pitch keyed to look at
//                              the point, or at the item's pivot or a point in its own coordinates)
//   rest X Y Z, direction H P B, length L, map NAME (bones)
#include <cmath>
#include <cstdio>

#include "base/constants.h"
#include "tools/content/scenes/aim.h"
#include "tools/content/scenes/production.h"

namespace {

enum ThingKind { THING_ITEM, THING_LIGHT, THING_CAMERA, THING_BONE };

struct SceneBuild {
    LwScene scene;
    std::vector<std::string> labels;  // per item: the null's name or an object's label
    ThingKind kind = THING_ITEM;
    bool any = false;
    // Channels written explicitly for the current bone (its others follow its rest pose).
    bool boneSet[9] = {};
    std::vector<std::string> boneNames;  // of the current object
    bool hasTarget = false;
    AimTarget target;
};

LwMotion* currentMotion(SceneBuild* b) {
    switch (b->kind) {
        case THING_ITEM: return &b->scene.items.back().motion;
        case THING_LIGHT: return &b->scene.lights.back().motion;
        case THING_CAMERA: return &b->scene.cameras.back().motion;
        case THING_BONE: return &b->scene.items.back().bones.back().motion;
    }
    return nullptr;
}

int channelIndex(const std::string& word) {
    static const char* const kNames[] = {"x", "y", "z", "heading", "pitch", "bank", "sx", "sy", "sz"};
    for (int k = 0; k < 9; ++k)
        if (word == kNames[k]) return k;
    return -1;
}

void setConstant(SceneBuild* b, LwMotion* motion, int channel, float value) {
    motion->channels[channel] = lwConstant(value);
    if (b->kind == THING_BONE) b->boneSet[channel] = true;
}

bool readPath(const DescriptionLine& line, SceneBuild* b, LwMotion* motion, std::string* error) {
    // path SHAPE T X Y Z ...: three channels with the same keys.
    if (line.words.size() < 6) {
        *error = lineError(line, "a path is: path SHAPE TIME X Y Z [TIME X Y Z...] [pre=B] [post=B]");
        return false;
    }
    std::vector<std::string> options;
    size_t end = 2;
    while (end < line.words.size() && line.words[end].find('=') == std::string::npos) ++end;
    for (size_t k = end; k < line.words.size(); ++k) options.push_back(line.words[k]);
    if ((end - 2) % 4 != 0) {
        *error = lineError(line, "path keys come in fours: TIME X Y Z");
        return false;
    }
    for (int axis = 0; axis < 3; ++axis) {
        DescriptionLine channel{line.file, line.number, {"path", line.words[1]}};
        for (size_t k = 2; k < end; k += 4) {
            channel.words.push_back(line.words[k]);
            channel.words.push_back(line.words[k + 1 + size_t(axis)]);
        }
        channel.words.insert(channel.words.end(), options.begin(), options.end());
        if (!parseChannel(channel, 1, 1.0f, &motion->channels[axis], error)) return false;
        if (b->kind == THING_BONE) b->boneSet[axis] = true;
    }
    return true;
}

// An item before the `count` first ones, by its null's name, its object's label or its index.
bool findItem(const SceneBuild& b, const std::string& word, size_t count, uint32_t* index) {
    for (size_t i = 0; i < count; ++i)
        if (b.labels[i] == word) {
            *index = uint32_t(i);
            return true;
        }
    int number;
    if (parseInteger(word, &number) && number >= 0 && size_t(number) < count) {
        *index = uint32_t(number);
        return true;
    }
    return false;
}

bool readMotionLine(const DescriptionLine& line, SceneBuild* b, bool* handled, std::string* error) {
    const std::string& key = line.words[0];
    LwMotion* motion = currentMotion(b);
    *handled = true;
    float v[3];
    if (key == "position" || key == "rotation") {
        if (!numbersFrom(line, 1, 3, v, error)) return false;
        int base = key == "position" ? 0 : 3;
        float unit = key == "position" ? 1.0f : kRadiansPerDegree;
        for (int k = 0; k < 3; ++k) setConstant(b, motion, base + k, v[k] * unit);
        return true;
    }
    if (key == "scale") {
        if (line.words.size() == 2) {
            if (!numbersFrom(line, 1, 1, v, error)) return false;
            v[1] = v[2] = v[0];
        } else if (!numbersFrom(line, 1, 3, v, error)) {
            return false;
        }
        if (b->kind == THING_CAMERA) {
            *error = lineError(line, "cameras have no scale");
            return false;
        }
        for (int k = 0; k < 3; ++k) setConstant(b, motion, 6 + k, v[k]);
        return true;
    }
    if (key == "path") return readPath(line, b, motion, error);
    int channel = channelIndex(key);
    if (channel >= 0) {
        if (b->kind == THING_CAMERA && channel >= 6) {
            *error = lineError(line, "cameras have no scale");
            return false;
        }
        if (b->kind == THING_BONE) b->boneSet[channel] = true;
        return parseChannel(line, 1, channel >= 3 && channel < 6 ? kRadiansPerDegree : 1.0f, &motion->channels[channel],
                            error);
    }
    *handled = false;
    return true;
}

// A bone's channels that were not written follow its rest position and direction.
void finishBone(SceneBuild* b) {
    if (b->kind != THING_BONE) return;
    LwBone& bone = b->scene.items.back().bones.back();
    for (int k = 0; k < 3; ++k)
        if (!b->boneSet[k]) bone.motion.channels[k] = lwConstant(bone.restPosition[k]);
    for (int k = 0; k < 3; ++k)
        if (!b->boneSet[3 + k]) bone.motion.channels[3 + k] = lwConstant(bone.restDirection[k] * kRadiansPerDegree);
}

void finishThing(SceneBuild* b) {
    finishBone(b);
    if (b->kind == THING_CAMERA && b->hasTarget) aimCamera(b->scene, &b->scene.cameras.back(), b->target);
    b->hasTarget = false;
    for (bool& set : b->boneSet) set = false;
}

bool readLightLine(const DescriptionLine& line, LwLight* light, std::string* error) {
    const std::string& key = line.words[0];
    float v[3];
    if (key == "colour") return numbersFrom(line, 1, 3, light->color, error);
    if (key == "intensity") {
        LwEnvelope e;
        if (!parseChannel(line, 1, 1.0f, &e, error)) return false;
        if (e.keys.size() == 1) {
            light->intensity = e.keys[0].value;
            light->intensityEnvelope.reset();
        } else {
            light->intensityEnvelope = e;
        }
        return true;
    }
    if (key == "range") {
        if (!numbersFrom(line, 1, 1, v, error)) return false;
        light->falloffType = 1;
        light->range = v[0];
        return true;
    }
    if (key == "cone" || key == "edge") {
        if (!numbersFrom(line, 1, 1, v, error)) return false;
        (key == "cone" ? light->coneAngle : light->edgeAngle) = v[0];
        return true;
    }
    *error = lineError(line, "unknown light line \"" + key + "\"");
    return false;
}

bool readCameraLine(const DescriptionLine& line, SceneBuild* b, std::string* error) {
    LwCamera& camera = b->scene.cameras.back();
    const std::string& key = line.words[0];
    if (key == "zoom") {
        LwEnvelope e;
        if (!parseChannel(line, 1, 1.0f, &e, error)) return false;
        if (e.keys.size() == 1) {
            camera.zoom = e.keys[0].value;
            camera.zoomEnvelope.reset();
        } else {
            camera.zoomEnvelope = e;
        }
        return true;
    }
    if (key == "target") {
        // target X Y Z | target ITEM [X Y Z]: a point of the scene, or of the item (its pivot unless given).
        AimTarget target;
        float v[3];
        const size_t count = line.words.size();
        const bool onItem = count > 1 && !parseNumber(line.words[1], &v[0]);
        if (onItem ? count != 2 && count != 5 : count != 4) {
            *error = lineError(line, "a target is: target X Y Z, or target ITEM [X Y Z]");
            return false;
        }
        if (onItem) {
            if (!findItem(*b, line.words[1], b->scene.items.size(), &target.item)) {
                *error = lineError(line, "no item is called or numbered \"" + line.words[1] + "\"");
                return false;
            }
            target.onItem = true;
            const std::optional<LwPoint>& pivot = b->scene.items[target.item].pivot;
            if (pivot) target.point = {pivot->x, pivot->y, pivot->z};
        }
        if (count >= 4) {
            if (!numbersFrom(line, count - 3, 3, v, error)) return false;
            target.point = {v[0], v[1], v[2]};
        }
        b->hasTarget = true;
        b->target = target;
        return true;
    }
    *error = lineError(line, "unknown camera line \"" + key + "\"");
    return false;
}

bool readBoneLine(const DescriptionLine& line, SceneBuild* b, std::string* error) {
    LwBone& bone = b->scene.items.back().bones.back();
    const std::string& key = line.words[0];
    float v[3];
    if (key == "rest") return numbersFrom(line, 1, 3, bone.restPosition, error);
    if (key == "direction") return numbersFrom(line, 1, 3, bone.restDirection, error);
    if (key == "length") {
        if (!numbersFrom(line, 1, 1, v, error)) return false;
        bone.restLength = v[0];
        return true;
    }
    if (key == "map" && line.words.size() == 2) {
        bone.weightMap = line.words[1];
        return true;
    }
    if (key == "parent" && line.words.size() == 2) {
        const std::vector<LwBone>& bones = b->scene.items.back().bones;
        for (size_t k = 0; k + 1 < bones.size(); ++k)
            if (bones[k].name == line.words[1]) {
                bone.parent = lwBoneRef(uint32_t(b->scene.items.size() - 1), uint32_t(k));
                return true;
            }
        *error = lineError(line, "no earlier bone of this object is called \"" + line.words[1] + "\"");
        return false;
    }
    *error = lineError(line, "unknown bone line \"" + key + "\"");
    return false;
}

bool readItemLine(const DescriptionLine& line, SceneBuild* b, std::string* error) {
    LwItem& item = b->scene.items.back();
    const std::string& key = line.words[0];
    if (key == "pivot") {
        float v[3];
        if (!numbersFrom(line, 1, 3, v, error)) return false;
        item.pivot = LwPoint{v[0], v[1], v[2]};
        return true;
    }
    if (key == "parent" && line.words.size() == 2) {
        uint32_t index;
        if (!findItem(*b, line.words[1], b->scene.items.size() - 1, &index)) {
            *error = lineError(line, "no earlier item is called or numbered \"" + line.words[1] + "\"");
            return false;
        }
        item.parent = lwObjectRef(index);
        return true;
    }
    if (key == "label" && line.words.size() == 2 && !item.isNull) {
        b->labels.back() = line.words[1];
        return true;
    }
    *error = lineError(line, "unknown item line \"" + key + "\"");
    return false;
}

bool startThing(const DescriptionLine& line, SceneBuild* b, bool* started, std::string* error) {
    const std::vector<std::string>& w = line.words;
    const std::string& key = w[0];
    *started = true;
    if (key == "object" || key == "null") {
        if (w.size() != 2) {
            *error = lineError(line, "\"" + key + "\" takes one word: the object path or the null's name");
            return false;
        }
        finishThing(b);
        LwItem item;
        item.isNull = key == "null";
        item.name = w[1];
        b->scene.items.push_back(item);
        b->labels.push_back(item.isNull ? w[1] : std::string());
        b->kind = THING_ITEM;
        return true;
    }
    if (key == "bone") {
        if (w.size() != 2 || b->scene.items.empty() || b->scene.items.back().isNull || !b->any ||
            (b->kind != THING_ITEM && b->kind != THING_BONE)) {
            *error = lineError(line, "a bone (bone NAME) follows its object");
            return false;
        }
        finishThing(b);
        LwBone bone;
        bone.name = w[1];
        b->scene.items.back().bones.push_back(bone);
        b->kind = THING_BONE;
        return true;
    }
    if (key == "light") {
        static const char* const kTypes[] = {"distant", "point", "spot"};
        int type = -1;
        for (int k = 0; k < 3 && w.size() == 3; ++k)
            if (w[2] == kTypes[k]) type = k;
        if (type < 0) {
            *error = lineError(line, "a light is: light NAME distant|point|spot");
            return false;
        }
        if (!b->scene.cameras.empty()) {
            *error = lineError(line, "lights come before the cameras");
            return false;
        }
        finishThing(b);
        LwLight light;
        light.name = w[1];
        light.type = type;
        b->scene.lights.push_back(light);
        b->kind = THING_LIGHT;
        return true;
    }
    if (key == "camera") {
        if (w.size() != 2) {
            *error = lineError(line, "a camera is: camera NAME");
            return false;
        }
        finishThing(b);
        LwCamera camera;
        camera.name = w[1];
        b->scene.cameras.push_back(camera);
        b->kind = THING_CAMERA;
        return true;
    }
    *started = false;
    return true;
}

bool readSceneValue(const DescriptionLine& line, SceneBuild* b, std::string* error) {
    const std::string& key = line.words[0];
    if (key == "backdrop") return numbersFrom(line, 1, 3, b->scene.backdropColor, error);
    if (key == "frames") {
        float v[3];
        if (!numbersFrom(line, 1, 3, v, error)) return false;
        b->scene.firstFrame = int(v[0]);
        b->scene.lastFrame = int(v[1]);
        b->scene.framesPerSecond = int(v[2]);
        return true;
    }
    if (key == "fog") {
        float v[8];
        if (!numbersFrom(line, 1, 8, v, error)) return false;
        b->scene.fogType = int(v[0]);
        b->scene.fogMinDistance = v[1];
        b->scene.fogMaxDistance = v[2];
        b->scene.fogMinAmount = v[3];
        b->scene.fogMaxAmount = v[4];
        for (int k = 0; k < 3; ++k) b->scene.fogColor[k] = v[5 + k];
        return true;
    }
    *error = lineError(line, "unknown scene line \"" + key + "\"");
    return false;
}

}  // namespace

bool buildScene(const Description& lines, ProductionFiles* files, std::string* error) {
    if (lines.empty() || lines[0].words[0] != "scene" || lines[0].words.size() != 2) {
        *error = lines.empty() ? std::string("an empty scene description")
                               : lineError(lines[0], "a scene description starts with: scene PATH");
        return false;
    }
    SceneBuild b;
    const std::string path = lines[0].words[1];
    for (size_t n = 1; n < lines.size(); ++n) {
        const DescriptionLine& line = lines[n];
        bool started = false;
        if (!startThing(line, &b, &started, error)) return false;
        if (started) {
            b.any = true;
            continue;
        }
        if (!b.any) {
            if (!readSceneValue(line, &b, error)) return false;
            continue;
        }
        bool handled = false;
        if (!readMotionLine(line, &b, &handled, error)) return false;
        if (handled) continue;
        bool ok = b.kind == THING_ITEM     ? readItemLine(line, &b, error)
                  : b.kind == THING_LIGHT  ? readLightLine(line, &b.scene.lights.back(), error)
                  : b.kind == THING_CAMERA ? readCameraLine(line, &b, error)
                                           : readBoneLine(line, &b, error);
        if (!ok) return false;
    }
    finishThing(&b);
    if (b.scene.lights.empty() || b.scene.cameras.empty()) {
        *error = lines[0].file + ": a scene needs at least one light and one camera";
        return false;
    }
    if (files->count(path)) {
        *error = lineError(lines[0], path + " is made twice");
        return false;
    }
    std::string text = writeLws(b.scene);
    (*files)[path] = std::vector<uint8_t>(text.begin(), text.end());
    return true;
}

bool buildEnvelopeFiles(const Description& lines, ProductionFiles* files, std::string* error) {
    for (const DescriptionLine& line : lines) {
        if (line.words[0] != "envelope" || line.words.size() < 3) {
            *error = lineError(line, "an envelope file is: envelope PATH VALUE, or envelope PATH SHAPE TIME VALUE...");
            return false;
        }
        LwEnvelope envelope;
        if (!parseChannel(line, 2, 1.0f, &envelope, error)) return false;
        if (files->count(line.words[1])) {
            *error = lineError(line, line.words[1] + " is made twice");
            return false;
        }
        std::string text = writeEnvelope(envelope);
        (*files)[line.words[1]] = std::vector<uint8_t>(text.begin(), text.end());
    }
    return true;
}
