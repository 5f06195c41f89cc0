// LWSC 3 scene text and envelope blocks. The loaders read keyword by keyword and take the token
// after "ShadowOptions", "ShadowType" and "FieldRendering" values as the next block's keyword, so
// those lines close their blocks here.
#include <cstdio>

#include "tools/lightwave/lw_writer.h"

static std::string number(float value) {
    char text[32];
    snprintf(text, sizeof text, "%.9g", double(value));
    return text;
}

static std::string hex(uint32_t value) {
    char text[16];
    snprintf(text, sizeof text, "%08x", value);
    return text;
}

static std::string triple(const float v[3]) {
    return number(v[0]) + " " + number(v[1]) + " " + number(v[2]);
}

LwEnvelope lwConstant(float value) {
    LwEnvelope envelope;
    LwKey key;
    key.value = value;
    envelope.keys.push_back(key);
    return envelope;
}

LwMotion lwStill(float x, float y, float z, float heading, float pitch, float bank) {
    LwMotion motion;
    const float values[9] = {x, y, z, heading, pitch, bank, 1, 1, 1};
    for (int c = 0; c < 9; c++) motion.channels[c] = lwConstant(values[c]);
    return motion;
}

uint32_t lwObjectRef(uint32_t itemIndex) {
    return 0x10000000u | (itemIndex & 0x0FFFFFFFu);
}

uint32_t lwLightRef(uint32_t lightIndex) {
    return 0x20000000u | (lightIndex & 0x0FFFFFFFu);
}

uint32_t lwCameraRef(uint32_t cameraIndex) {
    return 0x30000000u | (cameraIndex & 0x0FFFFFFFu);
}

uint32_t lwBoneRef(uint32_t itemIndex, uint32_t boneIndex) {
    return 0x40000000u | ((boneIndex & 0x0FFFu) << 16) | (itemIndex & 0xFFFFu);
}

std::string writeEnvelope(const LwEnvelope& envelope) {
    std::string text = "{ Envelope\n  " + std::to_string(envelope.keys.size()) + "\n";
    for (const LwKey& key : envelope.keys) {
        text += "  Key " + number(key.value) + " " + number(key.time) + " " + std::to_string(key.shape);
        for (float p : key.params) text += " " + number(p);
        text += "\n";
    }
    text += "  Behaviors " + std::to_string(envelope.preBehavior) + " " +
            std::to_string(envelope.postBehavior) + "\n}\n";
    return text;
}

static std::string motion(const char* keyword, const LwMotion& m, int channels) {
    std::string text = std::string(keyword) + "\nNumChannels " + std::to_string(channels) + "\n";
    for (int c = 0; c < channels; c++)
        text += "Channel " + std::to_string(c) + "\n" + writeEnvelope(m.channels[c]);
    return text;
}

static std::string parentLine(uint32_t parent) {
    return parent ? "ParentItem " + hex(parent) + "\n" : std::string();
}

static std::string bone(const LwBone& b, uint32_t owner) {
    std::string text = "AddBone\nBoneName " + b.name + "\nShowBone 1 -1\nBoneActive 1\n";
    text += "BoneRestPosition " + triple(b.restPosition) + "\n";
    text += "BoneRestDirection " + triple(b.restDirection) + "\n";
    text += "BoneRestLength " + number(b.restLength) + "\n";
    text += "BoneWeightMapName " + b.weightMap + "\n";
    text += "BoneWeightMapOnly 1\nBoneNormalization 0\nBoneStrength 1\nScaleBoneStrength 1\n";
    text += motion("BoneMotion", b.motion, 9);
    text += parentLine(b.parent ? b.parent : owner);
    text += "IKAnchor 0\n";
    return text;
}

static std::string item(const LwItem& it, uint32_t index) {
    std::string text;
    if (it.isNull)
        text = "AddNullObject " + it.name + "\nShowObject 6 3\n";
    else
        text = "LoadObjectLayer " + std::to_string(it.layer) + " " + it.name + "\nShowObject 6 7\n";
    text += motion("ObjectMotion", it.motion, 9);
    if (it.pivot && !it.isNull) {
        const float p[3] = {it.pivot->x, it.pivot->y, it.pivot->z};
        text += "PivotPosition " + triple(p) + "\n";
    }
    text += parentLine(it.parent);
    if (!it.isNull)
        for (const LwBone& b : it.bones) text += bone(b, lwObjectRef(index));
    text += "ShadowOptions " + std::to_string(it.shadowOptions) + "\n\n";
    return text;
}

static std::string light(const LwLight& l) {
    std::string text = "AddLight\nLightName " + l.name + "\nShowLight 0 7\n";
    text += motion("LightMotion", l.motion, 9);
    text += parentLine(l.parent);
    text += "LightColor " + triple(l.color) + "\n";
    if (l.intensityEnvelope)
        text += "LightIntensity (envelope)\n" + writeEnvelope(*l.intensityEnvelope);
    else
        text += "LightIntensity " + number(l.intensity) + "\n";
    text += "AffectCaustics 1\n";
    text += "LightType " + std::to_string(l.type) + "\n";
    if (l.falloffType) {
        text += "LightFalloffType " + std::to_string(*l.falloffType) + "\n";
        text += "LightRange " + number(l.range) + "\n";
    }
    if (l.type == 2) {
        text += "LightConeAngle " + number(l.coneAngle) + "\n";
        text += "LightEdgeAngle " + number(l.edgeAngle) + "\n";
    }
    text += "ShadowType 1\n\n";
    return text;
}

static std::string camera(const LwCamera& c) {
    std::string text = "AddCamera\nCameraName " + c.name + "\nShowCamera 1 7\n";
    text += motion("CameraMotion", c.motion, 6);
    text += parentLine(c.parent);
    if (c.zoomEnvelope)
        text += "ZoomFactor (envelope)\n" + writeEnvelope(*c.zoomEnvelope);
    else
        text += "ZoomFactor " + number(c.zoom) + "\n";
    text += "ResolutionMultiplier 1.0\nFrameSize 640 480\nPixelAspect 1\nMaskPosition 0 0 640 480\n";
    text += "MotionBlur 0\nFieldRendering 0\n\n";
    return text;
}

std::string writeLws(const LwScene& scene) {
    std::string text = "LWSC\n3\n\n";
    text += "FirstFrame " + std::to_string(scene.firstFrame) + "\n";
    text += "LastFrame " + std::to_string(scene.lastFrame) + "\n";
    text += "FrameStep 1\nPreviewFirstFrame 0\n";
    text += "PreviewLastFrame " + std::to_string(scene.lastFrame) + "\n";
    text += "PreviewFrameStep 1\nCurrentFrame 0\n";
    text += "FramesPerSecond " + std::to_string(scene.framesPerSecond) + "\n\n";
    for (size_t i = 0; i < scene.items.size(); i++) text += item(scene.items[i], uint32_t(i));
    text += "AmbientColor 1 1 1\nAmbientIntensity 0.25\n\n";
    for (const LwLight& l : scene.lights) text += light(l);
    for (const LwCamera& c : scene.cameras) text += camera(c);
    text += "SolidBackdrop 1\n";
    text += "BackdropColor " + triple(scene.backdropColor) + "\n";
    text += "ZenithColor 0 0.1569 0.3137\nSkyColor 0.4706 0.7059 0.9412\n";
    text += "GroundColor 0.1961 0.1569 0.1176\nNadirColor 0.3922 0.3137 0.2353\n";
    text += "FogType " + std::to_string(scene.fogType) + "\n";
    text += "FogMinDistance " + number(scene.fogMinDistance) + "\n";
    text += "FogMaxDistance " + number(scene.fogMaxDistance) + "\n";
    text += "FogMinAmount " + number(scene.fogMinAmount) + "\n";
    text += "FogMaxAmount " + number(scene.fogMaxAmount) + "\n";
    text += "FogColor " + triple(scene.fogColor) + "\n";
    text += "BackdropFog 0\nDitherIntensity 1\nAnimatedDither 0\n\n";
    text += "RenderMode 2\nRayTraceEffects 0\nDataOverlayLabel\nSaveRGB 0\nSaveAlpha 0\n\n";
    text += "ViewConfiguration 0\nCurrentObject 0\nCurrentLight 0\nCurrentCamera 0\n";
    return text;
}
