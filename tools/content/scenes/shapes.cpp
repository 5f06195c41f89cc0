// Vector helpers and the plain shapes: terrain, spheres, rocks, torus, boxes.
#include "tools/content/scenes/shapes.h"

#include <cmath>
#include <map>
#include <tuple>

#include "base/constants.h"
#include "tools/content/noise.h"

Vec3 vecAdd(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 vecSub(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 vecScale(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
Vec3 vecCross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float vecDot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
float vecLength(Vec3 a) { return std::sqrt(vecDot(a, a)); }
Vec3 vecNormalise(Vec3 a) {
    float l = vecLength(a);
    return l > 0 ? vecScale(a, 1.0f / l) : a;
}

uint32_t addPoint(ShapeMesh* mesh, Vec3 p, float u, float v) {
    mesh->points.push_back(p);
    mesh->u.push_back(u);
    mesh->v.push_back(v);
    return uint32_t(mesh->points.size() - 1);
}

Vec3 faceNormal(const ShapeMesh& mesh, size_t triangle) {
    const Vec3& p0 = mesh.points[mesh.corners[3 * triangle]];
    const Vec3& p1 = mesh.points[mesh.corners[3 * triangle + 1]];
    const Vec3& p2 = mesh.points[mesh.corners[3 * triangle + 2]];
    return vecCross(vecSub(p1, p0), vecSub(p2, p0));
}

void addOutward(ShapeMesh* mesh, uint32_t a, uint32_t b, uint32_t c, Vec3 inside) {
    const Vec3& p0 = mesh->points[a];
    const Vec3& p1 = mesh->points[b];
    const Vec3& p2 = mesh->points[c];
    Vec3 n = vecCross(vecSub(p1, p0), vecSub(p2, p0));
    Vec3 centre = vecScale(vecAdd(vecAdd(p0, p1), p2), 1.0f / 3.0f);
    bool out = vecDot(n, vecSub(centre, inside)) >= 0;
    mesh->corners.insert(mesh->corners.end(), {a, out ? b : c, out ? c : b});
}

void addTwoSided(ShapeMesh* mesh, uint32_t a, uint32_t b, uint32_t c) {
    mesh->corners.insert(mesh->corners.end(), {a, b, c, a, c, b});
}

static float axisOf(Vec3 p, Axis axis) { return axis == AXIS_X ? p.x : axis == AXIS_Y ? p.y : p.z; }

void projectUv(ShapeMesh* mesh, Axis uAxis, float uLow, float uHigh, Axis vAxis, float vLow, float vHigh,
               float repeat) {
    for (size_t i = 0; i < mesh->points.size(); ++i) {
        mesh->u[i] = repeat * (axisOf(mesh->points[i], uAxis) - uLow) / (uHigh - uLow);
        mesh->v[i] = repeat * (axisOf(mesh->points[i], vAxis) - vLow) / (vHigh - vLow);
    }
}

ShapeMesh makeTerrain(float size, int cells, float height, uint32_t seed) {
    ShapeMesh mesh;
    const int n = cells + 1;
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
            double s = double(i) / cells, t = double(j) / cells;
            // A gentle bowl under the noise keeps the edges of the floor out of sight.
            double rim = (s - 0.5) * (s - 0.5) + (t - 0.5) * (t - 0.5);
            double y = height * (0.6 * tileFbm(s, t, 3, 4, 0.5, seed) + 1.2 * rim);
            addPoint(&mesh, {float((s - 0.5) * size), float(y), float((t - 0.5) * size)});
        }
    }
    const Vec3 below = {0, -1.0e5f, 0};
    for (int j = 0; j < cells; ++j) {
        for (int i = 0; i < cells; ++i) {
            uint32_t a = uint32_t(j * n + i), b = a + 1, c = a + uint32_t(n), d = c + 1;
            addOutward(&mesh, a, b, d, below);
            addOutward(&mesh, a, d, c, below);
        }
    }
    return mesh;
}

namespace {

// Points on the unit sphere; edges split once each so that neighbours share their midpoints.
struct SphereBuilder {
    ShapeMesh mesh;
    std::map<std::pair<uint32_t, uint32_t>, uint32_t> midpoints;

    uint32_t midpoint(uint32_t a, uint32_t b) {
        auto key = a < b ? std::make_pair(a, b) : std::make_pair(b, a);
        auto found = midpoints.find(key);
        if (found != midpoints.end()) return found->second;
        uint32_t m = addPoint(&mesh, vecNormalise(vecAdd(mesh.points[a], mesh.points[b])));
        midpoints[key] = m;
        return m;
    }
};

ShapeMesh unitIcosphere(int subdivisions) {
    SphereBuilder b;
    const float t = (1.0f + std::sqrt(5.0f)) / 2.0f;
    const Vec3 corners[12] = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0}, {0, -1, t}, {0, 1, t},
                              {0, -1, -t}, {0, 1, -t}, {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    for (const Vec3& c : corners) addPoint(&b.mesh, vecNormalise(c));
    std::vector<uint32_t> faces = {0, 11, 5, 0, 5, 1, 0, 1, 7, 0, 7, 10, 0, 10, 11, 1, 5, 9, 5, 11, 4,
                                   11, 10, 2, 10, 7, 6, 7, 1, 8, 3, 9, 4, 3, 4, 2, 3, 2, 6, 3, 6, 8,
                                   3, 8, 9, 4, 9, 5, 2, 4, 11, 6, 2, 10, 8, 6, 7, 9, 8, 1};
    for (int level = 0; level < subdivisions; ++level) {
        std::vector<uint32_t> finer;
        for (size_t f = 0; f < faces.size(); f += 3) {
            uint32_t a = faces[f], c = faces[f + 1], d = faces[f + 2];
            uint32_t ab = b.midpoint(a, c), bc = b.midpoint(c, d), ca = b.midpoint(d, a);
            finer.insert(finer.end(), {a, ab, ca, c, bc, ab, d, ca, bc, ab, bc, ca});
        }
        faces.swap(finer);
    }
    for (size_t f = 0; f < faces.size(); f += 3) addOutward(&b.mesh, faces[f], faces[f + 1], faces[f + 2], {0, 0, 0});
    return b.mesh;
}

// Smooth value noise in three dimensions from the lattice hash.
double valueNoise3(double x, double y, double z, uint32_t seed) {
    int ix = int(std::floor(x)), iy = int(std::floor(y)), iz = int(std::floor(z));
    double fx = x - ix, fy = y - iy, fz = z - iz;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    fz = fz * fz * (3 - 2 * fz);
    double c[2][2][2];
    for (int a = 0; a < 2; ++a)
        for (int b = 0; b < 2; ++b)
            for (int d = 0; d < 2; ++d) c[a][b][d] = hashUnit(ix + a, iy + b, iz + d, seed) * 2.0 - 1.0;
    double x00 = mix(c[0][0][0], c[1][0][0], fx), x10 = mix(c[0][1][0], c[1][1][0], fx);
    double x01 = mix(c[0][0][1], c[1][0][1], fx), x11 = mix(c[0][1][1], c[1][1][1], fx);
    return mix(mix(x00, x10, fy), mix(x01, x11, fy), fz);
}

}  // namespace

ShapeMesh makeIcosphere(Vec3 radii, int subdivisions) {
    ShapeMesh mesh = unitIcosphere(subdivisions);
    for (Vec3& p : mesh.points) p = {p.x * radii.x, p.y * radii.y, p.z * radii.z};
    return mesh;
}

ShapeMesh makeRock(Vec3 radii, int subdivisions, float roughness, uint32_t seed) {
    ShapeMesh mesh = unitIcosphere(subdivisions);
    for (Vec3& p : mesh.points) {
        double n = 0, amplitude = 1, frequency = 1.7;
        for (int octave = 0; octave < 3; ++octave) {
            n += amplitude * valueNoise3(p.x * frequency, p.y * frequency, p.z * frequency, seed + uint32_t(octave));
            amplitude *= 0.5;
            frequency *= 2.1;
        }
        float r = float(1.0 + roughness * n);
        p = {p.x * r * radii.x, p.y * r * radii.y, p.z * r * radii.z};
    }
    return mesh;
}

ShapeMesh makeTorus(float ringRadius, float tubeRadius, int segments, int sides) {
    ShapeMesh mesh;
    const float pi2 = kTwoPiF;
    for (int i = 0; i < segments; ++i) {
        float a = pi2 * i / segments;
        for (int j = 0; j < sides; ++j) {
            float b = pi2 * j / sides;
            float r = ringRadius + tubeRadius * std::cos(b);
            addPoint(&mesh, {r * std::cos(a), tubeRadius * std::sin(b), r * std::sin(a)});
        }
    }
    auto index = [&](int i, int j) { return uint32_t((i % segments) * sides + (j % sides)); };
    for (int i = 0; i < segments; ++i) {
        for (int j = 0; j < sides; ++j) {
            uint32_t a = index(i, j), b = index(i + 1, j), c = index(i + 1, j + 1), d = index(i, j + 1);
            // The tube's own axis, under the quad, is the inside.
            float mid = pi2 * (i + 0.5f) / segments;
            Vec3 axis = {ringRadius * std::cos(mid), 0, ringRadius * std::sin(mid)};
            addOutward(&mesh, a, b, c, axis);
            addOutward(&mesh, a, c, d, axis);
        }
    }
    return mesh;
}

ShapeMesh makeBox(Vec3 half, int divisions, bool closed, float rounding) {
    ShapeMesh mesh;
    std::map<std::tuple<int, int, int>, uint32_t> shared;
    const int d = divisions;
    // Face k: the axis it faces and its sign; (s, t) run over the other two axes.
    for (int face = 0; face < 6; ++face) {
        int axis = face / 2, sign = face % 2 ? 1 : -1;
        std::vector<uint32_t> grid;
        for (int t = 0; t <= d; ++t) {
            for (int s = 0; s <= d; ++s) {
                int lattice[3];
                lattice[axis] = sign > 0 ? d : 0;
                lattice[(axis + 1) % 3] = s;
                lattice[(axis + 2) % 3] = t;
                auto key = std::make_tuple(lattice[0], lattice[1], lattice[2]);
                if (closed) {
                    auto found = shared.find(key);
                    if (found != shared.end()) {
                        grid.push_back(found->second);
                        continue;
                    }
                }
                Vec3 c = {2.0f * lattice[0] / d - 1, 2.0f * lattice[1] / d - 1, 2.0f * lattice[2] / d - 1};
                if (closed && rounding > 0) {
                    Vec3 round = vecNormalise(c);
                    c = vecAdd(vecScale(c, 1 - rounding), vecScale(round, rounding));
                }
                uint32_t p = addPoint(&mesh, {c.x * half.x, c.y * half.y, c.z * half.z}, float(s) / d, float(t) / d);
                if (closed) shared[key] = p;
                grid.push_back(p);
            }
        }
        for (int t = 0; t < d; ++t) {
            for (int s = 0; s < d; ++s) {
                uint32_t a = grid[size_t(t * (d + 1) + s)], b = grid[size_t(t * (d + 1) + s + 1)];
                uint32_t c = grid[size_t((t + 1) * (d + 1) + s + 1)], e = grid[size_t((t + 1) * (d + 1) + s)];
                addOutward(&mesh, a, b, c, {0, 0, 0});
                addOutward(&mesh, a, c, e, {0, 0, 0});
            }
        }
    }
    return mesh;
}
