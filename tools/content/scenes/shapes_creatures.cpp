// Fish, whales and rays along the x axis, bone weights along their bodies, and the light shaft.
#include <algorithm>
#include <cmath>

#include "base/constants.h"
#include "tools/content/scenes/shapes.h"

namespace {

const float kBodyEnd = 0.86f;  // the body narrows to the tail stalk here; the fin runs on to 1

// Thickness of the body along it, 0..1: rises to the hump, falls to a thin stalk.
float bodyProfile(float t, float hump) {
    if (t <= hump) return std::sin(0.5f * kPiF * std::pow(t / hump, 0.8f));
    float s = (t - hump) / (kBodyEnd - hump);
    return 0.16f + 0.84f * std::cos(0.5f * kPiF * std::min(s, 1.0f));
}

struct FishBuilder {
    ShapeMesh mesh;
    const FishShape& shape;
    explicit FishBuilder(const FishShape& s) : shape(s) {}

    float x(float t) const { return shape.length * (0.5f - t); }
    float halfHeight(float t) const { return 0.5f * shape.height * shape.length * bodyProfile(t, shape.hump); }
    float halfWidth(float t) const { return 0.5f * shape.width * shape.length * bodyProfile(t, shape.hump); }
    uint32_t point(float t, float y, float z) { return addPoint(&mesh, {x(t), y, z}); }
};

}  // namespace

ShapeMesh makeFish(const FishShape& shape) {
    FishBuilder f(shape);
    ShapeMesh& mesh = f.mesh;
    const int rings = std::max(shape.rings, 2), sides = std::max(shape.sides, 3);

    // Body: nose point, rings, tail tip point; closed.
    uint32_t nose = f.point(0, 0, 0);
    std::vector<uint32_t> ring(size_t(rings) * sides);
    for (int i = 0; i < rings; ++i) {
        float t = kBodyEnd * float(i + 1) / rings;
        for (int j = 0; j < sides; ++j) {
            float a = 2 * kPiF * j / sides;
            ring[size_t(i * sides + j)] = f.point(t, f.halfHeight(t) * std::cos(a), f.halfWidth(t) * std::sin(a));
        }
    }
    uint32_t tip = f.point(kBodyEnd + 0.02f, 0, 0);
    auto axis = [&](uint32_t a, uint32_t b, uint32_t c) {
        float cx = (mesh.points[a].x + mesh.points[b].x + mesh.points[c].x) / 3;
        return Vec3{cx, 0, 0};
    };
    for (int j = 0; j < sides; ++j) {
        int k = (j + 1) % sides;
        uint32_t a = ring[size_t(j)], b = ring[size_t(k)];
        addOutward(&mesh, nose, a, b, axis(nose, a, b));
        uint32_t c = ring[size_t((rings - 1) * sides + j)], d = ring[size_t((rings - 1) * sides + k)];
        addOutward(&mesh, tip, c, d, axis(tip, c, d));
        for (int i = 0; i + 1 < rings; ++i) {
            uint32_t p = ring[size_t(i * sides + j)], q = ring[size_t(i * sides + k)];
            uint32_t r = ring[size_t((i + 1) * sides + k)], s = ring[size_t((i + 1) * sides + j)];
            addOutward(&mesh, p, q, r, axis(p, q, r));
            addOutward(&mesh, p, r, s, axis(p, r, s));
        }
    }

    // Tail: a forked sheet, vertical for fish, horizontal flukes for whales.
    if (shape.tail > 0) {
        float root = kBodyEnd - 0.04f, stalk = f.halfHeight(root) * 0.8f, span = 0.5f * shape.tail * shape.length;
        auto at = [&](float t, float across) {
            return shape.flukes ? f.point(t, 0, across) : f.point(t, across, 0);
        };
        uint32_t a = at(root, stalk), b = at(root, -stalk), fork = at(0.93f, 0);
        uint32_t up = at(1.0f, span), down = at(1.0f, -span);
        addTwoSided(&mesh, a, up, fork);
        addTwoSided(&mesh, a, fork, b);
        addTwoSided(&mesh, b, fork, down);
    }
    // Dorsal fin on the back.
    if (shape.dorsal > 0) {
        float t0 = shape.hump * 0.8f, t1 = shape.hump + 0.22f, tm = shape.hump + 0.12f;
        uint32_t a = f.point(t0, f.halfHeight(t0) * 0.95f, 0), b = f.point(t1, f.halfHeight(t1) * 0.95f, 0);
        uint32_t top = f.point(tm + 0.06f, f.halfHeight(tm) + shape.dorsal * shape.length, 0);
        addTwoSided(&mesh, a, top, b);
    }
    // Pectoral fins, swept back below the sides.
    if (shape.pectoral > 0) {
        for (int side = -1; side <= 1; side += 2) {
            float t0 = 0.22f, t1 = 0.34f;
            float y = -0.3f * f.halfHeight(t0);
            uint32_t a = f.point(t0, y, side * 0.8f * f.halfWidth(t0));
            uint32_t b = f.point(t1, y, side * 0.8f * f.halfWidth(t1));
            uint32_t tipPoint = f.point(t1 + 0.08f, y - 0.05f * shape.length,
                                        side * (f.halfWidth(t0) + shape.pectoral * shape.length));
            addTwoSided(&mesh, a, tipPoint, b);
        }
    }

    // u along the body from the nose; v up the side, 1 on the back.
    float top = 0;
    for (const Vec3& p : mesh.points) top = std::max(top, std::fabs(p.y));
    if (top <= 0) top = 1;
    projectUv(&mesh, AXIS_X, 0.5f * shape.length, -0.5f * shape.length, AXIS_Y, -top, top);
    for (float& u : mesh.u) u = std::min(std::max(u, 0.0f), 1.0f);
    return mesh;
}

void weightAlongBody(ShapeMesh* mesh, const std::vector<std::string>& bones) {
    mesh->weightMaps = bones;
    mesh->weights.assign(mesh->points.size(), PointWeight{{0, 0}, {0, 0}, 0});
    const int n = int(bones.size());
    if (n == 0) return;
    for (size_t i = 0; i < mesh->points.size(); ++i) {
        // Bone k owns the middle of its stretch of the body; between two middles the weight fades.
        float position = mesh->u[i] * n - 0.5f;
        PointWeight& w = mesh->weights[i];
        if (position <= 0 || n == 1) {
            w = {{0, 0}, {1, 0}, 1};
        } else if (position >= n - 1) {
            w = {{n - 1, 0}, {1, 0}, 1};
        } else {
            int k = int(position);
            float f = position - k;
            if (f < 0.001f) w = {{k, 0}, {1, 0}, 1};
            else w = {{k, k + 1}, {1 - f, f}, 2};
        }
    }
}

ShapeMesh makeShaft() {
    ShapeMesh mesh;
    for (int plane = 0; plane < 2; ++plane) {
        auto at = [&](float across, float y) {
            Vec3 p = plane == 0 ? Vec3{across, y, 0} : Vec3{0, y, across};
            return addPoint(&mesh, p, across + 0.5f, y);
        };
        uint32_t a = at(-0.5f, 0), b = at(0.5f, 0), c = at(0.5f, 1), d = at(-0.5f, 1);
        addTwoSided(&mesh, a, b, c);
        addTwoSided(&mesh, a, c, d);
    }
    return mesh;
}
