// extras.txt: the light blob's control scenes, program files padded to the sizes the player reads,
// the light-shaft picture, and files copied unchanged; and the whole production in one call.
//   blobscene PATH seed=N base=F wobble=F period=F depth=F
//   program PATH SOURCE SIZE
//   shaftpicture PATH WIDTH HEIGHT
//   copy PATH SOURCE
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/constants.h"
#include "tools/content/image_encode.h"
#include "tools/content/noise.h"
#include "tools/content/scenes/production.h"

namespace {

bool readSource(const DescriptionLine& line, const std::string& contentDir, const std::string& name,
                std::string* out, std::string* error) {
    std::ifstream in(contentDir + "/" + name, std::ios::binary);
    if (!in) {
        *error = lineError(line, "cannot read " + contentDir + "/" + name);
        return false;
    }
    out->assign((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return true;
}

// A soft vertical beam: bright at the top, fading towards the bottom and towards both edges.
Pixmap paintShaft(int width, int height) {
    Pixmap picture = makePixmap(width, height, 3);
    for (int y = 0; y < height; ++y) {
        float fromTop = float(y) / float(height - 1);
        float along = std::pow(1.0f - fromTop, 1.5f);
        for (int x = 0; x < width; ++x) {
            float across = 2.0f * (float(x) + 0.5f) / float(width) - 1.0f;
            float beam = std::exp(-3.0f * across * across) * (0.85f + 0.15f * std::cos(9.0f * across));
            float value = std::min(1.0f, along * beam);
            uint8_t* p = &picture.pixels[(size_t(y) * width + x) * 3];
            p[0] = toByte(value);
            p[1] = toByte(value * 0.95f);
            p[2] = toByte(value * 0.85f);
        }
    }
    return picture;
}

bool addFile(const DescriptionLine& line, const std::string& path, const std::string& bytes, ProductionFiles* files,
             std::string* error) {
    if (files->count(path)) {
        *error = lineError(line, path + " is made twice");
        return false;
    }
    (*files)[path] = std::vector<uint8_t>(bytes.begin(), bytes.end());
    return true;
}

bool readExtra(const DescriptionLine& line, const std::string& contentDir, ProductionFiles* files,
               std::string* error) {
    const std::vector<std::string>& w = line.words;
    const std::string& key = w[0];
    if (key == "blobscene" && w.size() >= 2) {
        LineOptions o;
        if (!parseOptions(line, 2, &o, error)) return false;
        float seed = 1, base = 1, wobble = 0.15f, period = 4, depth = 0.1f;
        if (!optionNumber(line, o, "seed", &seed, error) || !optionNumber(line, o, "base", &base, error) ||
            !optionNumber(line, o, "wobble", &wobble, error) || !optionNumber(line, o, "period", &period, error) ||
            !optionNumber(line, o, "depth", &depth, error))
            return false;
        if (period <= 0 || base <= wobble) {
            *error = lineError(line, "a blob scene needs period > 0 and base > wobble (heights stay positive)");
            return false;
        }
        return addFile(line, w[1], makeBlobControlScene(uint32_t(seed), base, wobble, period, depth), files, error);
    }
    if (key == "program" && w.size() == 4) {
        int size;
        std::string text, padded;
        if (!parseInteger(w[3], &size) || size <= 0) {
            *error = lineError(line, "a program is: program PATH SOURCE SIZE");
            return false;
        }
        if (!readSource(line, contentDir, w[2], &text, error)) return false;
        if (!padProgram(text, size_t(size), &padded, error)) {
            *error = lineError(line, *error);
            return false;
        }
        return addFile(line, w[1], padded, files, error);
    }
    if (key == "shaftpicture" && w.size() == 4) {
        int width, height;
        if (!parseInteger(w[2], &width) || !parseInteger(w[3], &height) || width < 4 || height < 2 ||
            width % 4 != 0 || width > 1024 || height > 1024) {
            *error = lineError(line, "a shaft picture is: shaftpicture PATH WIDTH HEIGHT (width a multiple of 4)");
            return false;
        }
        Bytes bytes;
        std::string problem;
        if (!encodeTga(paintShaft(width, height), false, &bytes, &problem)) {
            *error = lineError(line, problem);
            return false;
        }
        return addFile(line, w[1], std::string(bytes.begin(), bytes.end()), files, error);
    }
    if (key == "copy" && w.size() == 3) {
        std::string text;
        return readSource(line, contentDir, w[2], &text, error) && addFile(line, w[1], text, files, error);
    }
    *error = lineError(line, "unknown extra \"" + key + "\" (blobscene, program, shaftpicture, copy) or wrong words");
    return false;
}

}  // namespace

bool padProgram(const std::string& text, size_t size, std::string* out, std::string* error) {
    size_t end = text.rfind("END");
    if (end == std::string::npos) {
        *error = "the program has no END";
        return false;
    }
    if (text.size() > size) {
        *error = "the program is " + std::to_string(text.size()) + " bytes, more than " + std::to_string(size);
        return false;
    }
    std::string padding;
    size_t missing = size - text.size();
    while (missing > 0) {
        // Comment lines of at most 64 bytes; a last single byte is an empty line.
        size_t length = std::min<size_t>(missing, 64);
        if (missing - length == 1) --length;
        if (length == 1) padding += "\n";
        else padding += "#" + std::string(length - 2, '-') + "\n";
        missing -= length;
    }
    *out = text.substr(0, end) + padding + text.substr(end);
    return true;
}

std::string makeBlobControlScene(uint32_t seed, float base, float wobble, float period, float depth) {
    LwScene scene;
    scene.lastFrame = int(period * 30);
    const int heights = 209;
    for (int k = 0; k <= heights; ++k) {
        LwItem null;
        null.isNull = true;
        char name[32];
        std::snprintf(name, sizeof name, k < heights ? "Height%03d" : "Depth", k);
        null.name = name;
        // Laid out as the 11 x 19 grid the heights stand for, so the scene reads in LightWave.
        null.motion = lwStill(float(k % 19) * 0.2f, 0, float(k / 19) * 0.2f);
        LwEnvelope y;
        y.preBehavior = y.postBehavior = 2;  // repeat
        double phase = hashUnit(k, 0, 0, seed) * kTwoPi;
        for (int q = 0; q <= 4; ++q) {
            LwKey key;
            key.time = period * float(q) / 4.0f;
            double wave = std::sin(phase + 1.5707963 * q);
            key.value = k < heights ? float(base + wobble * wave) : float(depth * (0.75 + 0.25 * wave));
            y.keys.push_back(key);
        }
        y.keys.back().value = y.keys.front().value;  // one whole period
        null.motion.channels[1] = y;
        scene.items.push_back(null);
    }
    LwLight light;
    light.motion = lwStill(0, 4, -4, 0, 0.6f, 0);
    scene.lights.push_back(light);
    LwCamera camera;
    camera.motion = lwStill(1.8f, 3, -4, 0, 0.5f, 0);
    scene.cameras.push_back(camera);
    return writeLws(scene);
}

bool buildExtras(const Description& lines, const std::string& contentDir, ProductionFiles* files,
                 std::string* error) {
    for (const DescriptionLine& line : lines)
        if (!readExtra(line, contentDir, files, error)) return false;
    return true;
}

bool buildProduction(const std::string& contentDir, ProductionFiles* files, std::string* error) {
    Description materials, objects, envelopes, extras;
    MaterialTable table;
    if (!readDescriptionFile(contentDir + "/materials.txt", "materials.txt", &materials, error) ||
        !readDescriptionFile(contentDir + "/objects.txt", "objects.txt", &objects, error) ||
        !readDescriptionFile(contentDir + "/envelopes.txt", "envelopes.txt", &envelopes, error) ||
        !readDescriptionFile(contentDir + "/extras.txt", "extras.txt", &extras, error))
        return false;
    if (!readMaterials(materials, &table, error) || !buildObjects(objects, table, files, error) ||
        !buildEnvelopeFiles(envelopes, files, error) || !buildExtras(extras, contentDir, files, error))
        return false;
    // Scenes in name order, so that the same sources always give the same files.
    std::vector<std::string> scenes;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(contentDir + "/scenes", ec))
        if (entry.path().extension() == ".txt") scenes.push_back(entry.path().filename().string());
    if (ec) {
        *error = "cannot list " + contentDir + "/scenes: " + ec.message();
        return false;
    }
    std::sort(scenes.begin(), scenes.end());
    for (const std::string& name : scenes) {
        Description lines;
        if (!readDescriptionFile(contentDir + "/scenes/" + name, "scenes/" + name, &lines, error) ||
            !buildScene(lines, files, error))
            return false;
    }
    return true;
}
