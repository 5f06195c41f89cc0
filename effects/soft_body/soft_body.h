// Pressurised mass-spring bodies: particles from an object's vertices, springs along its triangle
// edges, pressure over its faces, integrated at a fixed 50 steps a second inside a box of planes.
#pragma once
#include <cstdint>

#include "effects/effect_check.h"
#include "effects/effect_family.h"

struct Scene;
struct RenderState;

struct SoftParticle {
    float mass;
    float inverseMass;
    float initial[3];
    float position[3];
    float velocity[3];
    float force[3];
    float normal[3];  // accumulated face normals, left unnormalised
    float positionChange[3];
    float velocityChange[3];
};

struct SoftSpring {
    int32_t a, b;  // particle indices
    float stiffness;
    float damping;
    float restLength;
    float stretch;        // 5.0, kept with the spring
    float stretchLength;  // 5.0 x rest length x 0.01
};

struct SoftFace {
    int32_t a, b, c;
    float normal[3];
    float area2;  // twice the triangle's area
    float force[3];
};

struct SoftBody {
    float gravity[3];
    float volume;
    float inverseVolume;
    float pressure;
    SoftParticle* saved;
    SoftParticle* particles;
    int32_t particleCount;
    SoftSpring* springs;
    int32_t springCount;
    SoftFace* faces;
    int32_t faceCount;
    float planes[6][4];  // n x, y, z and d: p is inside when n . p + d >= 0
};

// What a slot's parameters select: floatParams 0..12 in this order, intParams 6 and 7.
struct SoftBodyParams {
    float centre[3];
    float scale;
    float mass;
    float stiffness;
    float damping;
    float initialPressure;
    float pressure;
    float gravity[3];
    float step;  // seconds
    bool follow;  // the box turns with the null and the pressure pulses
    bool pin;     // the first particle never moves
};

SoftBodyParams softBodyParams(const EffectSlot* slot);

// Particles at centre + scale x position; one face per index triple (triples naming a vertex past
// the count are dropped), one spring per distinct edge. Null when memory runs out.
SoftBody* createSoftBody(const float* positions, int32_t vertexCount, const uint16_t* indices, int32_t indexCount,
                         const SoftBodyParams& params);
void freeSoftBody(SoftBody* body);

void computeForces(SoftBody* body);
// Mode 0: explicit Euler. Mode 1: Heun's predictor-corrector with plane collisions.
void integrate(SoftBody* body, int mode, float dt);
void setPressure(SoftBody* body, float value);
// Back to the initial shape at rest, the parameters' gravity and initial pressure, the reset box.
void resetBody(SoftBody* body, const SoftBodyParams& params);

// The fixed-step clock of one body: every 20 ms step due at timeMs runs; a time that goes back runs
// nothing and the counter follows it down. Returns the steps run.
int32_t advanceSoftBody(SoftBody* body, const SoftBodyParams& params, int32_t* stepCounter, int32_t timeMs);
// The box of a body that follows its null: six walls 4 from the centre, facing along the null's own
// axes as its heading, pitch and bank (degrees) turn them.
void setFollowBox(SoftBody* body, float heading, float pitch, float bank);
// Each particle's normal: the sum of the unit normals of its faces, as the body is shaped now.
void accumulateNormals(SoftBody* body);

void softBodyInit(RenderState* render, Scene* scene, EffectSlot* slot);
void softBodyFrame(RenderState* render, EffectSlot* slot, int32_t timeMs);
// The simulation's part of a frame: a reset rebuilds the body, then it steps on to timeMs.
void softBodyAdvance(RenderState* render, EffectSlot* slot, int32_t timeMs);
void softBodyRelease(EffectSlot* slot);
// The object among the scene's lights, one closed surface that starts inside the row's box.
void softBodyCheck(EffectCheck* check, const EffectBinding* row);

inline constexpr EffectFamilyDescriptor kSoftBodyFamily = {
    FAMILY_SOFT_BODY, "soft-body", softBodyInit, softBodyFrame, softBodyRelease, nullptr, kNoFamilyFiles,
    softBodyCheck,    softBodyAdvance, nullptr,      nullptr, nullptr};
