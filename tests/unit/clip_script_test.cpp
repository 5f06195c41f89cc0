// The clip script: statements, names, capacities, and where and when overlays show.
#include <gtest/gtest.h>

#include <string>

#include "effects/clip_script.h"
#include "tests/support/test_package.h"

namespace {

const char* kHalf = "{ Envelope\n  1\n  Key 0.5 0 0 0 0 0 0 0 0\n  Behaviors 1 1\n}\n";

struct Parsed {
    ClipScript script;
    std::string err;
};

// Parses text as Demo/ClipScript.txt into a fresh script.
Parsed* parse(const std::string& text) {
    loadTestPackage({{"Demo/ClipScript.txt", text}, {"Demo/half.env", kHalf}});
    static Parsed parsed;
    parsed = Parsed();
    DemoFile file = fileOpen("Demo/ClipScript.txt", "rb");
    EXPECT_NE(file, nullptr);
    testing::internal::CaptureStderr();
    parseClipScript(file, "Demo/ClipScript.txt", &parsed.script);
    parsed.err = testing::internal::GetCapturedStderr();
    fileClose(file);
    return &parsed;
}

TEST(ClipScript, StatementNamesAndTiming) {
    Parsed* p = parse(
        "words before begin\nbegin\n load texture Demo/a.jpg A load texture Demo/b.jpg B load texture Demo/c.jpg A\n"
        " load envelope Demo/half.env C load sound x\n"
        " play clip A B from 0:12:500 to 0:16:0 0.1 0.4 0.8 0.2 0 0 1 1 null null C null null\n"
        " play clip B null from 0:0:0 to 0:1:0 0 0 1 1 0 0 1 1 null null null C Electro\n"
        " play clip Missing null from 0:0:0 to 0:1:0 0 0 1 1 0 0 1 1 Missing null null null electro\n"
        " play movie x\nend\n play clip A null from 0:0:0 to 0:1:0 0 0 1 1 0 0 1 1 null null null null null\n");
    const ClipScript& s = p->script;
    ASSERT_EQ(s.textureCount, 3);
    ASSERT_EQ(s.overlayCount, 3);
    const ClipOverlay& o = s.overlays[0];
    EXPECT_EQ(o.texture, &s.textures[2]) << "the later of two entries with one name wins";
    EXPECT_EQ(o.mask, &s.textures[1]);
    EXPECT_STREQ(s.textureFiles[2], "Demo/c.jpg");
    EXPECT_EQ(o.alpha, &s.envelopes[0]);
    EXPECT_EQ(o.moveX, nullptr);
    EXPECT_EQ(o.electro, 0);
    EXPECT_EQ(s.overlays[1].electro, 0) << "a glow word with a capital is no keyword";
    EXPECT_EQ(s.overlays[2].texture, nullptr);
    EXPECT_EQ(s.overlays[2].electro, 1);
    for (int32_t t : {12500, 16000}) EXPECT_TRUE(clipOverlayActive(&o, t)) << t;
    for (int32_t t : {12499, 16001}) EXPECT_FALSE(clipOverlayActive(&o, t)) << t;
    ClipVertex v[CLIP_QUAD_VERTICES];
    float alpha = 0;
    ASSERT_EQ(clipOverlayVertices(&o, 13000, v, &alpha), 4);
    EXPECT_FLOAT_EQ(alpha, 0.5f);
    // Scaled by one half about its centre.
    ClipOverlay scaled = o;
    scaled.alpha = nullptr;
    scaled.scale = &s.envelopes[0];
    clipOverlayVertices(&scaled, 13000, v, &alpha);
    EXPECT_EQ(alpha, 1.0f);
    const float corners[4][2] = {{0.3f, 0.45f}, {0.3f, 0.55f}, {0.7f, 0.55f}, {0.7f, 0.45f}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(v[k].position[0], corners[k][0], 1e-6f) << k;
        EXPECT_NEAR(v[k].position[1], corners[k][1], 1e-6f) << k;
    }
    EXPECT_FLOAT_EQ(v[1].picture[1], 1.0f);
    // The electric form: two quads meeting on the middle line.
    ASSERT_EQ(clipOverlayVertices(&s.overlays[2], 1000, v, &alpha), 8);
    EXPECT_FLOAT_EQ(v[0].position[1], 0.5f);
    EXPECT_FLOAT_EQ(v[1].turbulence[1], 1.82f * -0.8f);
}

TEST(ClipScript, CapacitiesAndLongNamesAreWarnedAndParsingGoesOn) {
    std::string text = "begin\n";
    text += " load envelope Demo/half.env " + std::string(80, 'n') + "\n";
    text += " load texture Demo/t.jpg " + std::string(300, 'w') + "\n";
    for (int k = 0; k < CLIP_TEXTURES + 2; ++k) text += " load texture Demo/t.jpg T" + std::to_string(k) + "\n";
    for (int k = 0; k < CLIP_ENVELOPES + 1; ++k) text += " load envelope Demo/half.env E" + std::to_string(k) + "\n";
    for (int k = 0; k < CLIP_OVERLAYS + 3; ++k)
        text += " play clip T0 null from 0:0:0 to 0:1:" + std::to_string(k) + " 0 0 1 1 0 0 1 1 null null null null null\n";
    text += " play clip T0 null from 0:0:0 to 0:1:0 0 0 1 1 0 0 1 1 null null null null";  // cut short
    Parsed* p = parse(text);
    EXPECT_EQ(p->script.textureCount, CLIP_TEXTURES);
    EXPECT_EQ(p->script.envelopeCount, CLIP_ENVELOPES);
    EXPECT_EQ(p->script.overlayCount, CLIP_OVERLAYS);
    EXPECT_EQ(p->script.overlays[CLIP_OVERLAYS - 1].end, 1000 + CLIP_OVERLAYS - 1);
    for (const char* what : {"more than 16 textures", "more than 64 envelopes", "more than 128 clips",
                             "longer than 63", "longer than 255", "malformed", "no \"end\""})
        EXPECT_NE(p->err.find(what), std::string::npos) << what << "\n" << p->err;
}

}  // namespace
