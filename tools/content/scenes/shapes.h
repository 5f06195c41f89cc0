// Procedural meshes of the sample production: triangles only, one UV per point (the player reads no
// discontinuous UVs), up to two bone weights per point. Every triangle is wound so that
// (p1 - p0) x (p2 - p0) points out of the shape, which is the face normal the object reader computes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct Vec3 {
    float x, y, z;
};

struct PointWeight {
    int map[2];  // index into ShapeMesh::weightMaps
    float weight[2];
    int count;
};

struct ShapeMesh {
    std::vector<Vec3> points;
    std::vector<float> u, v;          // one UV per point
    std::vector<uint32_t> corners;    // three per triangle
    std::vector<std::string> weightMaps;
    std::vector<PointWeight> weights;  // empty, or one per point
};

Vec3 vecAdd(Vec3 a, Vec3 b);
Vec3 vecSub(Vec3 a, Vec3 b);
Vec3 vecScale(Vec3 a, float s);
Vec3 vecCross(Vec3 a, Vec3 b);
float vecDot(Vec3 a, Vec3 b);
float vecLength(Vec3 a);
Vec3 vecNormalise(Vec3 a);

uint32_t addPoint(ShapeMesh* mesh, Vec3 p, float u = 0, float v = 0);
// Adds the triangle turned so that its normal points away from `inside`.
void addOutward(ShapeMesh* mesh, uint32_t a, uint32_t b, uint32_t c, Vec3 inside);
// Both sides of a thin sheet (fins, light shafts).
void addTwoSided(ShapeMesh* mesh, uint32_t a, uint32_t b, uint32_t c);
Vec3 faceNormal(const ShapeMesh& mesh, size_t triangle);  // unnormalised, as the reader computes it

// UVs by projection: u from one axis, v from another, each mapped from [low, high] onto [0, 1]
// times `repeat`.
enum Axis { AXIS_X, AXIS_Y, AXIS_Z };
void projectUv(ShapeMesh* mesh, Axis uAxis, float uLow, float uHigh, Axis vAxis, float vLow, float vHigh,
               float repeat = 1.0f);

// Shapes. All are centred on the origin unless said otherwise.
// Terrain: size x size on the x-z plane at y = 0, cells x cells quads, heights up to `height`.
ShapeMesh makeTerrain(float size, int cells, float height, uint32_t seed);
// Closed sphere from a subdivided icosahedron (no seam, no poles); radii per axis.
ShapeMesh makeIcosphere(Vec3 radii, int subdivisions);
// A closed rock: an icosphere pushed in and out by noise.
ShapeMesh makeRock(Vec3 radii, int subdivisions, float roughness, uint32_t seed);
// Closed torus around the y axis.
ShapeMesh makeTorus(float ringRadius, float tubeRadius, int segments, int sides);
// Box of half-sizes `half`, each face a grid of divisions x divisions quads. `closed` shares the
// points of neighbouring faces and rounds the box towards an ellipsoid by `rounding` (0 sharp, 1
// fully round); otherwise every face has points of its own, with a UV square per face.
ShapeMesh makeBox(Vec3 half, int divisions, bool closed, float rounding);

// Fish, whales and rays lying along x, head at +length/2, u = 0 at the head and 1 at the tail tip;
// v = 1 on the back. A ray is a fish much wider than high, without a tail fin.
struct FishShape {
    float length;
    float height;   // of the body, as a fraction of the length
    float width;    // of the body, as a fraction of the length
    float tail;     // tail fin height, fraction of the length
    float dorsal;   // dorsal fin height, fraction of the length (0: none)
    float hump;     // where the body is highest, 0..1 along it
    bool flukes;    // horizontal tail (whales) instead of a vertical one
    float pectoral; // pectoral fin span, fraction of the length (0: none)
    int rings;
    int sides;
};
ShapeMesh makeFish(const FishShape& shape);
// Weights along u for a chain of bones from head to tail: each point takes the two nearest bones.
void weightAlongBody(ShapeMesh* mesh, const std::vector<std::string>& bones);
// Light shaft: two crossed two-sided quads, x and z in [-0.5, 0.5], y from 0 to 1, v = y.
ShapeMesh makeShaft();
