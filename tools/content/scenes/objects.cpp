// materials.txt and objects.txt: surfaces and the procedural objects that carry them.
#include <cmath>

#include "base/constants.h"
#include "tools/content/scenes/production.h"

namespace {

bool opacityTypeOf(const std::string& word, uint16_t* out) {
    static const char* const kTypes[] = {"normal", "subtractive", "difference",   "multiply",
                                         "divide", "alpha",       "displacement", "additive"};
    for (uint16_t k = 0; k < 8; ++k)
        if (word == kTypes[k]) {
            *out = k;
            return true;
        }
    return false;
}

bool wrapOf(const std::string& word, uint16_t* out) {
    static const char* const kWraps[] = {"border", "repeat", "mirror", "edge"};
    for (uint16_t k = 0; k < 4; ++k)
        if (word == kWraps[k]) {
            *out = k;
            return true;
        }
    return false;
}

bool isChannel(const std::string& word) {
    static const char* const kChannels[] = {"COLR", "REFL", "SPEC", "TRAN", "TRNL",
                                            "BUMP", "DIFF", "LUMI", "GLOS", "RIND"};
    for (const char* c : kChannels)
        if (word == c) return true;
    return false;
}

// layer CHANNEL IMAGE [options] | layer CHANNEL sequence PREFIX DIGITS SUFFIX FIRST END [options]
bool readLayer(const DescriptionLine& line, MaterialLayer* layer, std::string* error) {
    const std::vector<std::string>& w = line.words;
    if (w.size() < 3 || !isChannel(w[1])) {
        *error = lineError(line,
                           "a layer is: layer CHANNEL IMAGE [options], CHANNEL one of COLR REFL SPEC TRAN "
                           "TRNL BUMP DIFF LUMI GLOS RIND");
        return false;
    }
    layer->channel = w[1];
    size_t next = 3;
    if (w[2] == "sequence") {
        if (w.size() < 8 || !parseInteger(w[4], &layer->digits) || !parseInteger(w[6], &layer->first) ||
            !parseInteger(w[7], &layer->end) || layer->digits < 1 || layer->digits > 3 ||
            layer->end <= layer->first + 1) {
            *error = lineError(line,
                               "a sequence is: sequence PREFIX DIGITS SUFFIX FIRST END (1 to 3 digits, END "
                               "one past the last frame, at least two frames)");
            return false;
        }
        layer->sequence = true;
        layer->image = w[3];
        layer->suffix = w[5];
        next = 8;
    } else {
        layer->image = w[2];
    }
    LineOptions options;
    if (!parseOptions(line, next, &options, error)) return false;
    for (const auto& entry : options.entries) {
        bool ok = true;
        if (entry.first == "blend")
            ok = opacityTypeOf(entry.second, &layer->opacityType);
        else if (entry.first == "opacity")
            ok = parseNumber(entry.second, &layer->opacity);
        else if (entry.first == "wrap")
            ok = wrapOf(entry.second, &layer->wrap);
        else if (entry.first == "filter") {
            ok = entry.second == "nearest" || entry.second == "linear";
            layer->pixelBlending = entry.second == "linear" ? 1 : 0;
        } else
            ok = false;
        if (!ok) {
            *error = lineError(line, "bad layer option \"" + entry.first + "=" + entry.second + "\"");
            return false;
        }
    }
    return true;
}

bool readMaterialValue(const DescriptionLine& line, Material* m, std::string* error) {
    const std::string& key = line.words[0];
    if (key == "colour") return numbersFrom(line, 1, 3, m->colour, error);
    if (key == "layer") {
        MaterialLayer layer;
        if (!readLayer(line, &layer, error)) return false;
        m->layers.push_back(layer);
        return true;
    }
    float* target = key == "diffuse"      ? &m->diffuse
                    : key == "specular"   ? &m->specular
                    : key == "glossiness" ? &m->glossiness
                    : key == "glow"       ? &m->glow
                    : key == "smoothing"  ? &m->smoothingDegrees
                                          : nullptr;
    if (!target) {
        *error = lineError(line, "unknown material line \"" + key + "\"");
        return false;
    }
    return numbersFrom(line, 1, 1, target, error);
}

float option(const LineOptions& o, const char* key, float fallback) {
    const std::string* value = o.find(key);
    float number;
    return value && parseNumber(*value, &number) ? number : fallback;
}

// Every option must be a number except those listed as words.
bool checkNumericOptions(const DescriptionLine& line, const LineOptions& o, std::string* error) {
    static const char* const kWords[] = {"material", "uv", "bones", "uvname"};
    for (const auto& entry : o.entries) {
        bool word = false;
        for (const char* k : kWords) word = word || entry.first == k;
        float number;
        if (!word && !parseNumber(entry.second, &number)) {
            *error = lineError(line, "the option " + entry.first + " needs a number, not \"" + entry.second + "\"");
            return false;
        }
    }
    return true;
}

bool makeShape(const DescriptionLine& line, const std::string& shape, const LineOptions& o, ShapeMesh* mesh,
               std::string* error) {
    uint32_t seed = uint32_t(option(o, "seed", 1));
    Vec3 radii = {option(o, "rx", option(o, "radius", 1)), option(o, "ry", option(o, "radius", 1)),
                  option(o, "rz", option(o, "radius", 1))};
    int subdivisions = int(option(o, "subdivisions", 2));
    if (subdivisions < 0 || subdivisions > 4) {
        *error = lineError(line, "subdivisions run from 0 to 4");
        return false;
    }
    if (shape == "terrain") {
        int cells = int(option(o, "cells", 16));
        if (cells < 1 || cells > 200) {
            *error = lineError(line, "a terrain has 1 to 200 cells across");
            return false;
        }
        *mesh = makeTerrain(option(o, "size", 10), cells, option(o, "height", 1), seed);
    } else if (shape == "sphere") {
        *mesh = makeIcosphere(radii, subdivisions);
    } else if (shape == "rock") {
        *mesh = makeRock(radii, subdivisions, option(o, "roughness", 0.25f), seed);
    } else if (shape == "torus") {
        int segments = int(option(o, "segments", 24)), sides = int(option(o, "sides", 12));
        if (segments < 3 || segments > 256 || sides < 3 || sides > 256) {
            *error = lineError(line, "a torus has 3 to 256 segments and sides");
            return false;
        }
        *mesh = makeTorus(option(o, "ring", 1), option(o, "tube", 0.3f), segments, sides);
    } else if (shape == "box") {
        Vec3 half = {option(o, "hx", 0.5f), option(o, "hy", 0.5f), option(o, "hz", 0.5f)};
        int divisions = int(option(o, "divisions", 1));
        if (divisions < 1 || divisions > 64) {
            *error = lineError(line, "a box face has 1 to 64 divisions");
            return false;
        }
        *mesh = makeBox(half, divisions, option(o, "closed", 0) != 0, option(o, "rounding", 0));
    } else if (shape == "fish") {
        FishShape f;
        f.length = option(o, "length", 1);
        f.height = option(o, "height", 0.25f);
        f.width = option(o, "width", 0.12f);
        f.tail = option(o, "tail", 0.3f);
        f.dorsal = option(o, "dorsal", 0.1f);
        f.hump = option(o, "hump", 0.35f);
        f.flukes = option(o, "flukes", 0) != 0;
        f.pectoral = option(o, "pectoral", 0);
        f.rings = int(option(o, "rings", 10));
        f.sides = int(option(o, "sides", 10));
        if (f.hump <= 0.05f || f.hump >= 0.8f || f.rings < 2 || f.rings > 60 || f.sides < 3 || f.sides > 60) {
            *error = lineError(line, "a fish needs hump in (0.05, 0.8), 2 to 60 rings and 3 to 60 sides");
            return false;
        }
        *mesh = makeFish(f);
    } else if (shape == "shaft") {
        *mesh = makeShaft();
    } else {
        *error = lineError(line, "unknown shape \"" + shape + "\" (terrain, sphere, rock, torus, box, fish, shaft)");
        return false;
    }
    return true;
}

// uv=xy, xz, zy, ...: u from the first axis, v from the second, over the object's extent; uv=shape
// keeps the generator's own UVs.
bool applyUv(const DescriptionLine& line, const LineOptions& o, ShapeMesh* mesh, std::string* error) {
    const std::string* uv = o.find("uv");
    if (!uv || *uv == "shape") return true;
    if (uv->size() != 2) {
        *error = lineError(line, "uv= takes two axes such as xy or xz, or \"shape\"");
        return false;
    }
    Axis axes[2];
    for (int k = 0; k < 2; ++k) {
        char c = (*uv)[size_t(k)];
        if (c != 'x' && c != 'y' && c != 'z') {
            *error = lineError(line, "uv= takes two of the axes x, y, z");
            return false;
        }
        axes[k] = c == 'x' ? AXIS_X : c == 'y' ? AXIS_Y : AXIS_Z;
    }
    float low[3] = {1e30f, 1e30f, 1e30f}, high[3] = {-1e30f, -1e30f, -1e30f};
    for (const Vec3& p : mesh->points) {
        const float c[3] = {p.x, p.y, p.z};
        for (int a = 0; a < 3; ++a) {
            low[a] = std::fmin(low[a], c[a]);
            high[a] = std::fmax(high[a], c[a]);
        }
    }
    for (int a = 0; a < 3; ++a)
        if (high[a] <= low[a]) high[a] = low[a] + 1;
    projectUv(mesh, axes[0], low[axes[0]], high[axes[0]], axes[1], low[axes[1]], high[axes[1]], option(o, "repeat", 1));
    return true;
}

}  // namespace

bool readMaterials(const Description& lines, MaterialTable* out, std::string* error) {
    Material* current = nullptr;
    for (const DescriptionLine& line : lines) {
        if (line.words[0] == "material") {
            if (line.words.size() != 2 || out->count(line.words[1])) {
                *error = lineError(line, "a material is: material NAME, each name once");
                return false;
            }
            current = &(*out)[line.words[1]];
            current->name = line.words[1];
            continue;
        }
        if (!current) {
            *error = lineError(line, "\"" + line.words[0] + "\" comes before any material");
            return false;
        }
        if (!readMaterialValue(line, current, error)) return false;
    }
    return true;
}

bool buildObjectRecipe(const DescriptionLine& line, const MaterialTable& materials, ObjectRecipe* out,
                       std::string* error) {
    const std::vector<std::string>& w = line.words;
    if (w.size() < 3 || w[0] != "object") {
        *error = lineError(line, "an object is: object PATH SHAPE [key=value...]");
        return false;
    }
    LineOptions o;
    if (!parseOptions(line, 3, &o, error) || !checkNumericOptions(line, o, error)) return false;
    const std::string* material = o.find("material");
    if (!material || !materials.count(*material)) {
        *error = lineError(line, "the object needs material=NAME of a material in materials.txt");
        return false;
    }
    out->path = w[1];
    out->material = &materials.at(*material);
    if (const std::string* name = o.find("uvname")) out->uvName = *name;
    if (!makeShape(line, w[2], o, &out->mesh, error) || !applyUv(line, o, &out->mesh, error)) return false;
    if (const std::string* bones = o.find("bones")) {
        std::vector<std::string> names;
        size_t start = 0;
        while (start <= bones->size()) {
            size_t comma = bones->find(',', start);
            if (comma == std::string::npos) comma = bones->size();
            if (comma > start) names.push_back(bones->substr(start, comma - start));
            start = comma + 1;
        }
        weightAlongBody(&out->mesh, names);
    }
    if (out->mesh.points.size() >= 0xFF00) {
        *error = lineError(line, "more than 65279 points: the player reads 2-byte point indices only");
        return false;
    }
    return true;
}

std::vector<uint8_t> writeObjectRecipe(const ObjectRecipe& recipe) {
    const ShapeMesh& mesh = recipe.mesh;
    const Material& material = *recipe.material;
    LwObject object;
    LwLayer layer;
    for (const Vec3& p : mesh.points) layer.points.push_back({p.x, p.y, p.z});
    LwVertexMap uv;
    uv.name = recipe.uvName;
    for (size_t i = 0; i < mesh.points.size(); ++i) uv.entries.push_back({uint32_t(i), {mesh.u[i], mesh.v[i]}});
    layer.vertexMaps.push_back(uv);
    for (size_t m = 0; m < mesh.weightMaps.size(); ++m) {
        LwVertexMap weights;
        weights.type = "WGHT";
        weights.dimension = 1;
        weights.name = mesh.weightMaps[m];
        for (size_t i = 0; i < mesh.weights.size(); ++i)
            for (int k = 0; k < mesh.weights[i].count; ++k)
                if (mesh.weights[i].map[k] == int(m))
                    weights.entries.push_back({uint32_t(i), {mesh.weights[i].weight[k], 0}});
        layer.vertexMaps.push_back(weights);
    }
    int32_t tag = lwTag(object, material.name);
    for (size_t c = 0; c + 2 < mesh.corners.size(); c += 3)
        layer.polygons.push_back({{mesh.corners[c], mesh.corners[c + 1], mesh.corners[c + 2]}, tag});
    object.layers.push_back(layer);

    LwSurface surface;
    surface.name = material.name;
    for (int k = 0; k < 3; ++k) surface.color[k] = material.colour[k];
    surface.diffuse = material.diffuse;
    if (material.specular > 0) surface.specular = material.specular;
    surface.glossiness = material.glossiness;
    if (material.glow > 0) surface.glow = material.glow;
    surface.smoothingAngle = material.smoothingDegrees * kRadiansPerDegree;
    for (const MaterialLayer& m : material.layers) {
        // One clip per distinct image; layers of the same picture share it.
        uint32_t clipIndex = 0;
        for (const LwClip& clip : object.clips)
            if (clip.fileName == m.image && clip.sequence == m.sequence) clipIndex = clip.index;
        if (clipIndex == 0) {
            LwClip clip;
            clip.index = uint32_t(object.clips.size() + 1);
            clip.fileName = m.image;
            if (m.sequence)
                clip = lwSequenceClip(clip.index, m.image, uint8_t(m.digits), m.suffix, uint16_t(m.first),
                                      uint16_t(m.end));
            object.clips.push_back(clip);
            clipIndex = clip.index;
        }
        LwTextureLayer t;
        t.channel = m.channel;
        t.opacityType = m.opacityType;
        t.opacity = m.opacity;
        t.image = clipIndex;
        t.widthWrap = t.heightWrap = m.wrap;
        t.pixelBlending = m.pixelBlending;
        // Environment, caustics and height layers take no UV map in the player.
        if (m.channel != "REFL" && m.channel != "SPEC" && m.channel != "DIFF") t.uvMap = recipe.uvName;
        surface.layers.push_back(t);
    }
    object.surfaces.push_back(surface);
    return writeLwo(object);
}

bool buildObjects(const Description& lines, const MaterialTable& materials, ProductionFiles* files,
                  std::string* error) {
    for (const DescriptionLine& line : lines) {
        ObjectRecipe recipe;
        if (!buildObjectRecipe(line, materials, &recipe, error)) return false;
        if (files->count(recipe.path)) {
            *error = lineError(line, recipe.path + " is made twice");
            return false;
        }
        (*files)[recipe.path] = writeObjectRecipe(recipe);
    }
    return true;
}
