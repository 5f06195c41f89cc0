#include "scene/mesh_geometry.h"

#include <cmath>
#include <cstring>

#include "scene/layer_flags.h"
#include "scene/lwo_reader.h"
#include "scene/scene.h"

namespace {

// Sums of unit vectors that cancel out leave rounding noise around this size; its direction means
// nothing.
const float kShortestSum = 1e-5f;

float dot(const float a[3], const float b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

void copy3(float out[3], const float in[3]) {
    out[0] = in[0];
    out[1] = in[1];
    out[2] = in[2];
}

// Normalises in place; false (left as is) when too short to have a direction.
bool normalise(float v[3], float shortest) {
    float length = std::sqrt(dot(v, v));
    if (!(length > shortest)) return false;
    for (int k = 0; k < 3; ++k) v[k] /= length;
    return true;
}

void cross(const float a[3], const float b[3], float out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

// Sums the given field of the point's triangles whose face normal lies within the angle of the
// corner triangle's; falls back to the corner triangle's own field.
void smoothedField(const RawObject* object, int32_t triangle, int32_t point, bool smooth, float cosine,
                   bool tangents, float out[3]) {
    const ObjectTriangle* own = &object->triangles[triangle];
    const float* fallback = tangents ? own->tangent : own->normal;
    if (!smooth || point < 0 || point >= object->pointCount) {
        copy3(out, fallback);
        return;
    }
    const ObjectPoint* p = &object->points[point];
    float sum[3] = {0, 0, 0};
    for (int32_t r = 0; r < p->triangleCount && r < OBJECT_TRIANGLES_PER_POINT; ++r) {
        int32_t t = p->triangles[r];
        if (t < 0 || t >= object->triangleCount) continue;
        const ObjectTriangle* other = &object->triangles[t];
        if (!(dot(own->normal, other->normal) > cosine)) continue;
        const float* value = tangents ? other->tangent : other->normal;
        for (int k = 0; k < 3; ++k) sum[k] += value[k];
    }
    if (normalise(sum, kShortestSum))
        copy3(out, sum);
    else
        copy3(out, fallback);
}

void cornerUv(const RawObject* object, int32_t point, int32_t map, UvCursor* cursor, float* out) {
    const ObjectUv* uv = findPointUv(object, point, map);
    if (uv) {
        cursor->u = uv->u;
        cursor->v = uv->v;
    }
    out[0] = cursor->u;
    out[1] = cursor->v;
}

}  // namespace

VertexLayout vertexLayout(bool weights, bool bump, int32_t layerCount) {
    VertexLayout layout;
    int32_t next = 6;
    layout.weightOffset = weights ? next : -1;
    if (weights) next += 4;
    layout.tangentOffset = bump ? next : -1;
    if (bump) next += 6;
    layout.uvOffset = next;
    layout.floats = next + 2 * layerCount;
    return layout;
}

VertexLayout surfaceVertexLayout(const Surface* surface, bool weights) {
    return vertexLayout(weights, surface->bumpLayer != 0, surface->layerCount);
}

void computeFaceTangents(RawObject* object, int32_t uvMap) {
    for (int32_t t = 0; t < object->triangleCount; ++t) {
        ObjectTriangle* triangle = &object->triangles[t];
        const float* p[3];
        float s[3], u[3];
        for (int c = 0; c < 3; ++c) {
            int32_t point = triangle->points[c];
            p[c] = object->points[point].position;
            const ObjectUv* uv = findPointUv(object, point, uvMap);
            s[c] = uv ? uv->u : 0.0f;
            u[c] = uv ? uv->v : 0.0f;
        }
        float det = (s[0] - s[1]) * (u[0] - u[2]) - (s[0] - s[2]) * (u[0] - u[1]);
        float tangent[3] = {0, 0, 0};
        if (std::fabs(det) > 0.000001f) {
            for (int k = 0; k < 3; ++k)
                tangent[k] = ((p[0][k] - p[1][k]) * (u[0] - u[2]) - (p[0][k] - p[2][k]) * (u[0] - u[1])) / det;
            // Collinear corners give no direction: a zero tangent rather than a division by zero.
            if (!normalise(tangent, 0.0f)) tangent[0] = tangent[1] = tangent[2] = 0.0f;
        }
        copy3(triangle->tangent, tangent);
    }
}

void cornerNormal(const RawObject* object, int32_t triangle, int32_t point, bool smooth, float cosine,
                  float normal[3]) {
    smoothedField(object, triangle, point, smooth, cosine, false, normal);
}

void cornerTangent(const RawObject* object, int32_t triangle, int32_t point, bool smooth, float cosine,
                   float tangent[3]) {
    smoothedField(object, triangle, point, smooth, cosine, true, tangent);
}

GeometryResult buildSurfaceGeometry(const RawObject* object, int32_t s, UvCursor* cursor, SurfaceGeometry* out) {
    const RawSurface* raw = &object->surfaces[s];
    const int32_t layerCount =
        raw->layerCount < OBJECT_SURFACE_LAYERS ? int32_t(raw->layerCount) : int32_t(OBJECT_SURFACE_LAYERS);
    bool bump = false;
    uint32_t flags[OBJECT_SURFACE_LAYERS] = {};
    for (int32_t k = 0; k < layerCount; ++k) {
        flags[k] = layerFlagsFor(&raw->layers[k]);
        if (raw->layers[k].channel == CHANNEL_BUMP) bump = true;
    }
    const bool weights = object->weightMapCount > 0;
    const VertexLayout layout = vertexLayout(weights, bump, layerCount);
    const bool smooth = raw->smoothingAngle > 0.0f;
    const float cosine = raw->smoothingCosine;

    out->layout = layout;
    out->vertices.clear();
    out->indices.clear();
    out->vertexCount = 0;
    out->triangleCount = 0;

    // Vertices already emitted for a point, chained in emission order: the first match is reused.
    std::vector<int32_t> firstVertex(size_t(object->pointCount), -1);
    std::vector<int32_t> lastVertex(size_t(object->pointCount), -1);
    std::vector<int32_t> nextVertex;

    for (int32_t t = 0; t < object->triangleCount; ++t) {
        const ObjectTriangle* triangle = &object->triangles[t];
        if (triangle->surface != s) continue;
        out->triangleCount++;
        for (int c = 0; c < 3; ++c) {
            const int32_t point = triangle->points[c];
            float normal[3];
            cornerNormal(object, t, point, smooth, cosine, normal);

            int32_t index = -1;
            for (int32_t v = firstVertex[size_t(point)]; v >= 0; v = nextVertex[size_t(v)]) {
                const float* other = &out->vertices[size_t(v) * size_t(layout.floats) + 3];
                if (std::fabs(dot(normal, other) - 1.0f) < 0.0001f) {
                    index = v;
                    break;
                }
            }
            if (index < 0) {
                if (out->vertexCount == MESH_MAX_SURFACE_VERTICES) {
                    out->vertices.clear();
                    out->indices.clear();
                    out->vertexCount = 0;
                    out->triangleCount = 0;
                    return GEOMETRY_TOO_MANY_VERTICES;
                }
                index = out->vertexCount++;
                nextVertex.push_back(-1);
                if (lastVertex[size_t(point)] < 0)
                    firstVertex[size_t(point)] = index;
                else
                    nextVertex[size_t(lastVertex[size_t(point)])] = index;
                lastVertex[size_t(point)] = index;

                size_t base = out->vertices.size();
                out->vertices.resize(base + size_t(layout.floats), 0.0f);
                float* vertex = &out->vertices[base];
                const ObjectPoint* p = &object->points[point];
                copy3(vertex, p->position);
                copy3(vertex + 3, normal);
                if (layout.weightOffset >= 0) {
                    float* w = vertex + layout.weightOffset;
                    for (int32_t k = 0; k < OBJECT_WEIGHTS_PER_POINT && k < p->weightCount; ++k) {
                        w[2 * k] = p->weights[k];
                        w[2 * k + 1] = 4.0f * float(p->weightMaps[k]);
                    }
                }
                if (layout.tangentOffset >= 0) {
                    float* tangent = vertex + layout.tangentOffset;
                    cornerTangent(object, t, point, smooth, cosine, tangent);
                    cross(tangent, normal, tangent + 3);
                }
                for (int32_t k = 0; k < layerCount; ++k)
                    if (flags[k] & LAYER_UV)
                        cornerUv(object, point, raw->layers[k].uvMap, cursor, vertex + layout.uvOffset + 2 * k);
            }
            out->indices.push_back(static_cast<uint16_t>(index));
        }
    }
    return GEOMETRY_OK;
}
