// The vertices and 16-bit triangle indices of one surface, built from a RawObject on the CPU:
// smoothing by angle, vertex reuse, weights, tangents and the per-layer UV pairs.
#pragma once
#include <cstdint>
#include <vector>

struct RawObject;
struct RawSurface;
struct Surface;

enum {
    MESH_MAX_SURFACE_VERTICES = 65536,  // indices are 16-bit
};

// Interleaved floats of one vertex: position, normal, then the optional blocks in this order.
struct VertexLayout {
    int32_t floats;         // floats per vertex; the stride is 4 times this
    int32_t weightOffset;   // weight 0, 4 x map 0, weight 1, 4 x map 1; -1 without weight maps
    int32_t tangentOffset;  // tangent, then binormal = tangent x normal; -1 without a bump layer
    int32_t uvOffset;       // u, v of layer k at uvOffset + 2k, reserved for every layer
};

VertexLayout vertexLayout(bool weights, bool bump, int32_t layerCount);
// The layout a built surface's vertex buffer has, for the passes that bind it: `weights` when its mesh
// has weight maps.
VertexLayout surfaceVertexLayout(const Surface* surface, bool weights);

// The UV a point without an entry in the asked-for map repeats: the previous lookup's, (0, 0) before
// the first. One cursor serves a whole object.
struct UvCursor {
    float u;
    float v;
};

struct SurfaceGeometry {
    VertexLayout layout;
    std::vector<float> vertices;    // layout.floats per vertex; UV pairs of layers without UVs stay 0
    std::vector<uint16_t> indices;  // three per triangle
    int32_t vertexCount;
    int32_t triangleCount;
};

enum GeometryResult {
    GEOMETRY_OK,
    GEOMETRY_TOO_MANY_VERTICES,  // more than MESH_MAX_SURFACE_VERTICES; the geometry is left empty
};

// Fills every triangle's face tangent from the UV map: zero where the map gives no usable direction.
void computeFaceTangents(RawObject* object, int32_t uvMap);

// The normal of a triangle's corner at one of its points: with smoothing (cosine < 1 and smooth set),
// the normalised sum of the face normals of the point's triangles within the angle, else the face
// normal. A sum too short to normalise gives the face normal. The tangent follows the same choice
// of triangles, summing face tangents; a sum too short gives the face tangent (possibly zero).
void cornerNormal(const RawObject* object, int32_t triangle, int32_t point, bool smooth, float cosine,
                  float normal[3]);
void cornerTangent(const RawObject* object, int32_t triangle, int32_t point, bool smooth, float cosine,
                   float tangent[3]);

// Builds surface s's vertices and indices from its triangles in file order. Weights are written when
// the object has weight maps, tangents when the surface has a bump layer (face tangents filled first).
GeometryResult buildSurfaceGeometry(const RawObject* object, int32_t s, UvCursor* cursor, SurfaceGeometry* out);
