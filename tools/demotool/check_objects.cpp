// Objects under "demotool check": their images, the device limits of their surfaces, and what the
// boids, swimming and soft-body effects expect of the objects they load.
#include <cmath>
#include <cstdio>
#include <map>
#include <utility>
#include <vector>

#include "scene/lwo_reader.h"
#include "scene/mesh_geometry.h"
#include "tools/demotool/check.h"

namespace {

enum { DEVICE_TEXTURE_COORDINATES = 8, BUMP_SURFACE_LAYERS = 6 };

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", value);
    return text;
}

bool isUvLayer(const TextureLayer& layer) {
    return layer.channel != CHANNEL_REFL && layer.channel != CHANNEL_SPEC && layer.channel != CHANNEL_DIFF;
}

bool isSequence(const ImageClip& clip) { return clip.digits > 0 && clip.end - clip.start > 1; }

std::vector<bool> surfacesInUse(const RawObject* object) {
    std::vector<bool> used(size_t(object->surfaceCount), false);
    for (int32_t t = 0; t < object->triangleCount; ++t) {
        int s = object->triangles[t].surface;
        if (s >= 0 && s < object->surfaceCount) used[size_t(s)] = true;
    }
    return used;
}

// Points of the triangles of one surface, each once.
std::vector<int32_t> surfacePoints(const RawObject* object, int surface) {
    std::vector<bool> seen(size_t(object->pointCount), false);
    std::vector<int32_t> points;
    for (int32_t t = 0; t < object->triangleCount; ++t) {
        if (object->triangles[t].surface != surface) continue;
        for (int32_t p : object->triangles[t].points)
            if (!seen[size_t(p)]) {
                seen[size_t(p)] = true;
                points.push_back(p);
            }
    }
    return points;
}

double correlation(const std::vector<double>& a, const std::vector<double>& b) {
    double n = double(a.size()), ma = 0, mb = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        ma += a[i];
        mb += b[i];
    }
    ma /= n;
    mb /= n;
    double sab = 0, saa = 0, sbb = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        sab += (a[i] - ma) * (b[i] - mb);
        saa += (a[i] - ma) * (a[i] - ma);
        sbb += (b[i] - mb) * (b[i] - mb);
    }
    return saa > 0 && sbb > 0 ? sab / std::sqrt(saa * sbb) : 0;
}

struct BodyLayout {
    bool ok = false;
    std::vector<double> u, x, y, z;
};

// Layer 0 of every drawn surface must be a UV layer whose u runs from 0 to 1 along the body.
BodyLayout readBodyLayout(CheckReport* report, const std::string& path, const RawObject* object) {
    BodyLayout layout;
    std::vector<bool> used = surfacesInUse(object);
    bool ok = true;
    for (int s = 0; s < object->surfaceCount; ++s) {
        if (!used[size_t(s)]) continue;
        const RawSurface& surface = object->surfaces[s];
        if (surface.layerCount == 0 || !isUvLayer(surface.layers[0])) {
            checkWarn(report, path, std::string("layer 0 of the surface \"") + surface.name +
                                        "\" is not a UV layer: the effect bends the object by its u");
            ok = false;
            continue;
        }
        int map = surface.layers[0].uvMap;
        int without = 0;
        for (int32_t p : surfacePoints(object, s)) {
            const ObjectUv* uv = findPointUv(object, p, map);
            if (!uv) {
                ++without;
                continue;
            }
            const float* position = object->points[p].position;
            layout.u.push_back(uv->u);
            layout.x.push_back(position[0]);
            layout.y.push_back(position[1]);
            layout.z.push_back(position[2]);
        }
        if (without > 0) {
            checkWarn(report, path, std::to_string(without) + " points of the surface \"" + surface.name +
                                        "\" have no UV in its layer 0 map");
            ok = false;
        }
    }
    if (!ok || layout.u.size() < 3) {
        if (ok) checkWarn(report, path, "too few points to be a body");
        return layout;
    }
    double low = layout.u[0], high = layout.u[0];
    for (double u : layout.u) {
        low = std::fmin(low, u);
        high = std::fmax(high, u);
    }
    if (low < -0.02 || high > 1.02 || low > 0.05 || high < 0.95) {
        checkWarn(report, path, "its u runs from " + number(low) + " to " + number(high) +
                                    ", not from 0 at the head to 1 at the tail");
        return layout;
    }
    layout.ok = true;
    return layout;
}

double extent(const std::vector<double>& values) {
    double low = values[0], high = values[0];
    for (double v : values) {
        low = std::fmin(low, v);
        high = std::fmax(high, v);
    }
    return high - low;
}

}  // namespace

void checkObjectUse(CheckReport* report, const std::string& path, const std::string& by,
                    const SurfaceContext& context) {
    const RawObject* object = checkObject(report, path, by);
    if (!object) return;
    for (int32_t c = 0; c < object->clipCount; ++c) {
        const ImageClip& clip = object->clips[c];
        if (clip.digits <= 0) {
            checkUse(report, clip.fileName, path);
            continue;
        }
        for (int32_t frame = clip.start; frame < clip.end; ++frame) {
            char name[2 * OBJECT_NAME_LENGTH + 16];
            std::snprintf(name, sizeof name, "%s%0*d%s", clip.fileName, int(clip.digits), int(frame), clip.suffix);
            checkUse(report, name, path);
        }
    }
    std::vector<bool> used = surfacesInUse(object);
    for (int s = 0; s < object->surfaceCount; ++s) {
        if (!used[size_t(s)]) continue;
        const RawSurface& surface = object->surfaces[s];
        const std::string lead = std::string("the surface \"") + surface.name + "\"";
        const int layers = surface.layerCount;
        int caustics = 0, heights = 0;
        bool bump = false, sequence = false;
        for (int k = 0; k < layers; ++k) {
            caustics += surface.layers[k].channel == CHANNEL_SPEC;
            heights += surface.layers[k].channel == CHANNEL_DIFF;
            bump = bump || surface.layers[k].channel == CHANNEL_BUMP;
            sequence = sequence || (surface.layers[k].image && isSequence(*surface.layers[k].image));
        }
        if (layers + context.lights > DEVICE_TEXTURE_COORDINATES)
            checkWarn(report, path, lead + " has " + std::to_string(layers) + " texture layers and " + context.scene +
                                        " " + std::to_string(context.lights) +
                                        " lights: more than 8 texture coordinate sets");
        if (bump && layers > BUMP_SURFACE_LAYERS)
            checkWarn(report, path, lead + " has a normal map and " + std::to_string(layers) +
                                        " texture layers: at most 6 fit beside the tangent attributes");
        if (caustics > 1) checkWarn(report, path, lead + " has more than one caustics (SPEC) layer");
        if (heights > 1) checkWarn(report, path, lead + " has more than one height (DIFF) layer");
        if (heights > 0 && surface.specular <= 0.001f)
            checkWarn(report, path, lead + " has a height (DIFF) layer but is not specular");
        if (context.shadows && caustics == 0)
            checkWarn(report, path, lead + " receives the shadows of " + context.scene +
                                        " but has no caustics (SPEC) layer to carry them");
        if (sequence && !context.texturePeriod)
            checkWarn(report, context.scene, "it shows the image sequence of " + path +
                                                 " but its setup row sets no texture period");
    }
}

void checkFishObject(CheckReport* report, const std::string& path, const std::vector<float>& bodyLengths) {
    const RawObject* object = checkObject(report, path, path);
    if (!object) return;
    BodyLayout body = readBodyLayout(report, path, object);
    if (!body.ok) return;
    if (std::fabs(correlation(body.u, body.x)) < 0.9) {
        checkWarn(report, path, "its u does not run along the x axis: the fish must lie along x, head to tail");
        return;
    }
    double across = 0;
    for (size_t i = 0; i < body.y.size(); ++i) across = std::fmax(across, std::hypot(body.y[i], body.z[i]));
    std::string lengths;
    for (float length : bodyLengths) {
        double ratio = across / length;
        if (ratio >= 0.02 && ratio <= 0.6) return;
        lengths += (lengths.empty() ? "" : " or ") + number(length);
    }
    checkWarn(report, path, "it reaches " + number(across) + " from its axis: not sized for a body length of " +
                                lengths);
}

void checkSwimmingObject(CheckReport* report, const std::string& path) {
    const RawObject* object = checkObject(report, path, path);
    if (!object) return;
    BodyLayout body = readBodyLayout(report, path, object);
    if (!body.ok) return;
    double rx = std::fabs(correlation(body.u, body.x)), rz = std::fabs(correlation(body.u, body.z));
    if (rx < 0.9 && rz < 0.9) {
        checkWarn(report, path, "its u runs along neither x nor z: the swimmer must lie horizontal, u along it");
        return;
    }
    double along = extent(rx >= rz ? body.x : body.z);
    if (extent(body.y) > 1.05 * along)
        checkWarn(report, path, "it is taller than long: the swimmer must lie horizontal");
}

void checkSoftBodyObject(CheckReport* report, const std::string& path, const std::vector<const EffectBinding*>& rows) {
    const RawObject* object = checkObject(report, path, path);
    if (!object) return;
    std::vector<bool> used = surfacesInUse(object);
    int surfaces = 0, first = -1;
    for (int s = 0; s < object->surfaceCount; ++s)
        if (used[size_t(s)]) {
            ++surfaces;
            if (first < 0) first = s;
        }
    if (surfaces != 1) {
        checkWarn(report, path, std::to_string(surfaces) + " surfaces: a soft body simulates one");
        if (first < 0) return;
    }
    // Closed and wound one way: every edge used once in each direction.
    std::map<std::pair<int32_t, int32_t>, int> directed;
    double volume = 0;
    for (int32_t t = 0; t < object->triangleCount; ++t) {
        const ObjectTriangle& tri = object->triangles[t];
        if (tri.surface != first) continue;
        for (int k = 0; k < 3; ++k) directed[{tri.points[k], tri.points[(k + 1) % 3]}]++;
        const float* a = object->points[tri.points[0]].position;
        const float* b = object->points[tri.points[1]].position;
        const float* c = object->points[tri.points[2]].position;
        volume += a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) +
                  a[2] * (b[0] * c[1] - b[1] * c[0]);
    }
    int open = 0;
    for (const auto& edge : directed)
        if (edge.second != 1 || directed.count({edge.first.second, edge.first.first}) == 0 ||
            directed.at({edge.first.second, edge.first.first}) != 1)
            ++open;
    if (open > 0)
        checkWarn(report, path, std::to_string(open) + " edges are not shared by exactly two triangles wound "
                                                       "opposite ways: the soft body must be one closed surface");
    else if (volume <= 0)
        checkWarn(report, path, "its triangles are wound inwards: the pressure would crush it");

    // One vertex per point: ask the mesh builder, which splits a point wherever its smoothed normals
    // differ, and count the points whose corners landed on more than one vertex.
    SurfaceGeometry geometry;
    UvCursor cursor = {0, 0};
    int split = 0;
    if (buildSurfaceGeometry(object, first, &cursor, &geometry) == GEOMETRY_OK) {
        std::vector<int32_t> pointOf(size_t(geometry.vertexCount), -1);
        std::vector<int> vertices(size_t(object->pointCount), 0);
        size_t corner = 0;
        for (int32_t t = 0; t < object->triangleCount; ++t) {
            if (object->triangles[t].surface != first) continue;
            for (int k = 0; k < 3; ++k, ++corner) {
                int32_t& owner = pointOf[geometry.indices[corner]];
                if (owner >= 0) continue;
                owner = object->triangles[t].points[k];
                if (++vertices[size_t(owner)] == 2) ++split;
            }
        }
    }
    if (split > 0)
        checkWarn(report, path, std::to_string(split) + " points become several vertices: smooth the surface so "
                                                        "that every point is one particle");

    for (const EffectBinding* row : rows) {
        const float* centre = row->floatParams;  // then the scale
        const bool follow = row->intParams[6] != 0;
        int outside = 0;
        for (int32_t p = 0; p < object->pointCount; ++p) {
            float q[3];
            for (int k = 0; k < 3; ++k) q[k] = centre[k] + centre[3] * object->points[p].position[k];
            // The box every reset restores: x in [-20, 20.5], y in [-2.5, 20.5], z in [-20, 20].
            bool in = q[0] >= -20 && q[0] <= 20.5f && q[1] >= -2.5f && q[1] <= 20.5f && q[2] >= -20 && q[2] <= 20;
            // A box that follows the null is 8 wide around it.
            if (follow) in = in && std::fabs(q[0]) <= 4 && std::fabs(q[1]) <= 4 && std::fabs(q[2]) <= 4;
            outside += !in;
        }
        if (outside > 0)
            checkWarn(report, path, std::to_string(outside) + " points start outside the collision box of \"" +
                                        row->name + "\"");
    }
}
