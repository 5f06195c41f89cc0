#include "effects/soft_body/soft_body.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "base/constants.h"
#include "base/out_of_memory.h"
#include "effects/effect_binding.h"
#include "scene/effect_slot.h"
#include "scene/transform.h"

namespace {

const float kInitialPlanes[6][4] = {{1, 0, 0, 20}, {0, 1, 0, 20}, {0, 0, 1, 20}, {-1, 0, 0, 2}, {0, 1, 0, -2.5f}, {0, 0, -1, 20}};
const float kResetPlanes[6][4] = {{1, 0, 0, 20}, {0, 1, 0, 2.5f}, {0, 0, 1, 20}, {-1, 0, 0, 20.5f}, {0, -1, 0, 20.5f}, {0, 0, -1, 20}};

float dot3(const float a[3], const float b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

bool springExists(const SoftBody* body, int32_t a, int32_t b) {
    for (int32_t s = 0; s < body->springCount; ++s) {
        const SoftSpring& spring = body->springs[s];
        if ((spring.a == a && spring.b == b) || (spring.a == b && spring.b == a)) return true;
    }
    return false;
}

void addSpring(SoftBody* body, int32_t a, int32_t b, const SoftBodyParams& params) {
    if (a == b || springExists(body, a, b)) return;
    SoftSpring& s = body->springs[body->springCount++];
    s.a = a;
    s.b = b;
    s.stiffness = params.stiffness;
    s.damping = params.damping;
    float d[3];
    for (int k = 0; k < 3; ++k) d[k] = body->particles[a].position[k] - body->particles[b].position[k];
    s.restLength = std::sqrt(dot3(d, d));
    s.stretch = 5.0f;
    s.stretchLength = 5.0f * s.restLength * 0.01f;
}

// Moves a particle through one step, stopping at the earliest plane it would cross and going on
// with its velocity mirrored in that plane.
void moveWithCollisions(SoftBody* body, SoftParticle* p, float dt) {
    float u = 1.1f;
    const float* hit = nullptr;
    for (const float* plane : body->planes) {
        float s = dt * dot3(p->velocity, plane);
        if (!(s < 0.0f)) continue;
        float h = -(dot3(p->position, plane) + plane[3]) / s;
        if (h >= 0.0f && h < u) {
            u = h;
            hit = plane;
        }
    }
    if (u > 1.0f || !hit) {
        for (int k = 0; k < 3; ++k) p->position[k] += dt * p->velocity[k];
        return;
    }
    for (int k = 0; k < 3; ++k) p->position[k] += u * dt * p->velocity[k];
    float vn = dot3(p->velocity, hit);
    for (int k = 0; k < 3; ++k) p->velocity[k] -= 2.0f * vn * hit[k];
    for (int k = 0; k < 3; ++k) p->position[k] += (1.0f - u) * dt * p->velocity[k];
}

}  // namespace

SoftBodyParams softBodyParams(const EffectSlot* slot) {
    const float* f = slot->floatParams;
    SoftBodyParams p;
    for (int k = 0; k < 3; ++k) {
        p.centre[k] = f[k];
        p.gravity[k] = f[9 + k];
    }
    p.scale = f[3];
    p.mass = f[4];
    p.stiffness = f[5];
    p.damping = f[6];
    p.initialPressure = f[7];
    p.pressure = f[8];
    p.step = f[12];
    p.follow = slot->intParams[6] != 0;
    p.pin = slot->intParams[7] != 0;
    return p;
}

SoftBody* createSoftBody(const float* positions, int32_t vertexCount, const uint16_t* indices, int32_t indexCount,
                         const SoftBodyParams& params) {
    SoftBody* body = static_cast<SoftBody*>(std::calloc(1, sizeof(SoftBody)));
    if (!body) outOfMemory("a soft body");
    const int32_t faces = indexCount / 3;
    body->particles = static_cast<SoftParticle*>(std::calloc(size_t(vertexCount) + 1, sizeof(SoftParticle)));
    body->saved = static_cast<SoftParticle*>(std::calloc(size_t(vertexCount) + 1, sizeof(SoftParticle)));
    body->faces = static_cast<SoftFace*>(std::calloc(size_t(faces) + 1, sizeof(SoftFace)));
    body->springs = static_cast<SoftSpring*>(std::calloc(size_t(faces) * 3 + 1, sizeof(SoftSpring)));
    if (!body->particles || !body->saved || !body->faces || !body->springs) {
        freeSoftBody(body);
        return nullptr;
    }
    body->particleCount = vertexCount;
    for (int32_t i = 0; i < vertexCount; ++i) {
        SoftParticle& p = body->particles[i];
        p.mass = params.mass;
        p.inverseMass = params.mass > 0.0f ? 1.0f / params.mass : 0.0f;  // massless: fixed
        for (int k = 0; k < 3; ++k) p.initial[k] = p.position[k] = params.centre[k] + params.scale * positions[3 * i + k];
    }
    for (int32_t f = 0; f < faces; ++f) {
        const int32_t a = indices[3 * f], b = indices[3 * f + 1], c = indices[3 * f + 2];
        if (a >= vertexCount || b >= vertexCount || c >= vertexCount) continue;
        SoftFace& face = body->faces[body->faceCount++];
        face.a = a;
        face.b = b;
        face.c = c;
        addSpring(body, a, b, params);
        addSpring(body, b, c, params);
        addSpring(body, c, a, params);
    }
    body->pressure = params.initialPressure;
    for (int k = 0; k < 3; ++k) body->gravity[k] = params.gravity[k];
    std::memcpy(body->planes, kInitialPlanes, sizeof body->planes);
    if (params.pin && vertexCount > 0) body->particles[0].inverseMass = 0.0f;
    return body;
}

void freeSoftBody(SoftBody* body) {
    if (!body) return;
    std::free(body->particles);
    std::free(body->saved);
    std::free(body->faces);
    std::free(body->springs);
    std::free(body);
}

namespace {

// (A - B) x (A - C) of the face's corners.
void faceCross(const SoftBody* body, const SoftFace& face, float cross[3]) {
    const float* a = body->particles[face.a].position;
    const float* b = body->particles[face.b].position;
    const float* c = body->particles[face.c].position;
    float ab[3], ac[3];
    for (int k = 0; k < 3; ++k) {
        ab[k] = a[k] - b[k];
        ac[k] = a[k] - c[k];
    }
    cross[0] = ab[1] * ac[2] - ab[2] * ac[1];
    cross[1] = ab[2] * ac[0] - ab[0] * ac[2];
    cross[2] = ab[0] * ac[1] - ab[1] * ac[0];
}

}  // namespace

void computeForces(SoftBody* body) {
    for (int32_t i = 0; i < body->particleCount; ++i) {
        SoftParticle& p = body->particles[i];
        for (int k = 0; k < 3; ++k) p.force[k] = p.mass * body->gravity[k];
    }
    for (int32_t s = 0; s < body->springCount; ++s) {
        const SoftSpring& spring = body->springs[s];
        SoftParticle& a = body->particles[spring.a];
        SoftParticle& b = body->particles[spring.b];
        float d[3], v[3];
        for (int k = 0; k < 3; ++k) {
            d[k] = a.position[k] - b.position[k];
            v[k] = a.velocity[k] - b.velocity[k];
        }
        float length = std::sqrt(dot3(d, d));
        if (length == 0.0f) continue;
        float f = dot3(d, v) * spring.damping / length + (length - spring.restLength) * spring.stiffness;
        for (int k = 0; k < 3; ++k) {
            a.force[k] -= f * d[k] / length;
            b.force[k] += f * d[k] / length;
        }
    }
    float volume = 0.0f;
    for (int32_t f = 0; f < body->faceCount; ++f) {
        SoftFace& face = body->faces[f];
        const float* a = body->particles[face.a].position;
        const float* b = body->particles[face.b].position;
        const float* c = body->particles[face.c].position;
        float cross[3];
        faceCross(body, face, cross);
        face.area2 = std::sqrt(dot3(cross, cross));
        // A face without area has no direction: it neither adds volume nor pushes.
        for (int k = 0; k < 3; ++k) face.normal[k] = face.area2 > 0.0f ? cross[k] / face.area2 : 0.0f;
        volume += (a[0] + b[0] + c[0]) * face.area2 * face.normal[0] * 0.333f;
    }
    body->volume = volume;
    // A flat or inside-out-balanced body encloses nothing; pressure then has nothing to act on.
    body->inverseVolume = volume != 0.0f && std::isfinite(volume) ? 1.0f / volume : 0.0f;
    for (int32_t f = 0; f < body->faceCount; ++f) {
        SoftFace& face = body->faces[f];
        for (int k = 0; k < 3; ++k) face.force[k] = face.area2 * face.normal[k] * body->pressure * body->inverseVolume;
        for (int32_t index : {face.a, face.b, face.c})
            for (int k = 0; k < 3; ++k) body->particles[index].force[k] += face.force[k] * 0.3333f;
    }
}

void integrate(SoftBody* body, int mode, float dt) {
    if (mode == 0) {
        for (int32_t i = 0; i < body->particleCount; ++i) {
            SoftParticle& p = body->particles[i];
            for (int k = 0; k < 3; ++k) {
                p.velocityChange[k] = dt * p.force[k] * p.inverseMass;
                p.velocity[k] += p.velocityChange[k];
                p.positionChange[k] = dt * p.velocity[k];
                p.position[k] += p.positionChange[k];
            }
        }
        return;
    }
    std::memcpy(body->saved, body->particles, sizeof(SoftParticle) * size_t(body->particleCount));
    integrate(body, 0, dt);
    computeForces(body);
    for (int32_t i = 0; i < body->particleCount; ++i) {
        SoftParticle& p = body->particles[i];
        const SoftParticle& s = body->saved[i];
        std::memcpy(p.velocity, s.velocity, sizeof p.velocity);
        std::memcpy(p.position, s.position, sizeof p.position);
        for (int k = 0; k < 3; ++k) p.velocity[k] += dt * 0.5f * (s.force[k] + p.force[k]) * p.inverseMass;
        moveWithCollisions(body, &p, dt);
    }
}

void setPressure(SoftBody* body, float value) { body->pressure = value; }

void resetBody(SoftBody* body, const SoftBodyParams& params) {
    for (int32_t i = 0; i < body->particleCount; ++i) {
        SoftParticle& p = body->particles[i];
        std::memcpy(p.position, p.initial, sizeof p.position);
        for (int k = 0; k < 3; ++k) p.velocity[k] = p.force[k] = 0.0f;
    }
    for (int k = 0; k < 3; ++k) body->gravity[k] = params.gravity[k];
    body->pressure = params.initialPressure;
    std::memcpy(body->planes, kResetPlanes, sizeof body->planes);
}

int32_t advanceSoftBody(SoftBody* body, const SoftBodyParams& params, int32_t* stepCounter, int32_t timeMs) {
    const int32_t target = timeMs / 20;
    const float t = msToSeconds(timeMs);
    int32_t steps = 0;
    for (; *stepCounter < target; ++*stepCounter, ++steps) {
        computeForces(body);
        integrate(body, 1, params.step);
        setPressure(body, params.follow ? (0.3f * std::sin(t) + 0.7f) * params.pressure : params.pressure);
    }
    *stepCounter = target;
    return steps;
}

// The face normals are taken from the shape as it is now: those the forces left behind belong to the
// step's predicted state, and there are none before the first step or fitting the shape after a reset.
void accumulateNormals(SoftBody* body) {
    for (int32_t i = 0; i < body->particleCount; ++i)
        for (float& n : body->particles[i].normal) n = 0.0f;
    for (int32_t f = 0; f < body->faceCount; ++f) {
        const SoftFace& face = body->faces[f];
        float cross[3];
        faceCross(body, face, cross);
        const float length = std::sqrt(dot3(cross, cross));
        if (!(length > 0.0f)) continue;
        for (int32_t index : {face.a, face.b, face.c})
            for (int k = 0; k < 3; ++k) body->particles[index].normal[k] += cross[k] / length;
    }
}

void setFollowBox(SoftBody* body, float heading, float pitch, float bank) {
    float m[16];
    matrixLoadIdentity(m);
    matrixRotateHeadingPitchBank(m, heading, pitch, bank);
    // Column a of the GL matrix is where the turn takes axis a.
    for (int a = 0; a < 3; ++a)
        for (int side = 0; side < 2; ++side) {
            float* plane = body->planes[3 * side + a];
            for (int k = 0; k < 3; ++k) plane[k] = side ? -m[4 * a + k] : m[4 * a + k];
            plane[3] = 4.0f;
        }
}

void softBodyCheck(EffectCheck* check, const EffectBinding* row) {
    check->object(check, row->fileName);
    check->softBody(check, row->fileName, row);
}
