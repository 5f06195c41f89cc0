// The production's LightWave generator: shapes the effects can use, the description language, and
// the files it writes read back through the player's own readers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "data/package.h"
#include "scene/envelope.h"
#include "scene/lwo_reader.h"
#include "scene/transform.h"
#include "tests/support/test_package.h"
#include "tools/content/scenes/aim.h"
#include "tools/content/scenes/production.h"

namespace {

// Every edge used once in each direction, and the volume enclosed positive (normals outward).
void expectClosedOutward(const ShapeMesh& mesh, const char* what) {
    std::map<std::pair<uint32_t, uint32_t>, int> directed;
    double volume = 0;
    for (size_t t = 0; t * 3 < mesh.corners.size(); ++t) {
        const uint32_t* c = &mesh.corners[3 * t];
        for (int k = 0; k < 3; ++k) directed[{c[k], c[(k + 1) % 3]}]++;
        Vec3 a = mesh.points[c[0]], b = mesh.points[c[1]], d = mesh.points[c[2]];
        volume += vecDot(a, vecCross(b, d));
    }
    int bad = 0;
    for (const auto& edge : directed) {
        auto back = directed.find({edge.first.second, edge.first.first});
        if (edge.second != 1 || back == directed.end() || back->second != 1) ++bad;
    }
    EXPECT_EQ(bad, 0) << what;
    EXPECT_GT(volume, 0) << what;
}

Description lines(const std::string& text) { return parseDescription(text, "test.txt"); }

// An envelope written by the generator, read and evaluated by the player.
Envelope playerEnvelope(const LwEnvelope& written) {
    loadTestPackage({{"Demo/e.env", writeEnvelope(written)}});
    Envelope envelope = {};
    EXPECT_TRUE(loadEnvelopeFile(&envelope, "Demo/e.env"));
    return envelope;
}

LwEnvelope channel(const std::string& text, float unit = 1.0f) {
    Description d = lines("x " + text);
    LwEnvelope out;
    std::string error;
    EXPECT_TRUE(parseChannel(d[0], 1, unit, &out, &error)) << error;
    return out;
}

std::string channelError(const std::string& text) {
    Description d = lines("x " + text);
    LwEnvelope out;
    std::string error;
    EXPECT_FALSE(parseChannel(d[0], 1, 1.0f, &out, &error)) << text;
    return error;
}

TEST(ContentShapes, ClosedShapesAreWoundOutwards) {
    expectClosedOutward(makeIcosphere({1, 0.8f, 1.1f}, 2), "icosphere");
    expectClosedOutward(makeRock({2, 1, 1.5f}, 3, 0.3f, 7), "rock");
    expectClosedOutward(makeTorus(2, 0.5f, 16, 8), "torus");
    expectClosedOutward(makeBox({1, 0.5f, 2}, 4, true, 0.5f), "rounded box");
    expectClosedOutward(makeBox({1, 1, 1}, 3, true, 0), "sharp closed box");
}

TEST(ContentShapes, OpenShapesFaceTheirOutside) {
    ShapeMesh floor = makeTerrain(10, 8, 1, 3);
    for (size_t t = 0; t * 3 < floor.corners.size(); ++t) EXPECT_GT(faceNormal(floor, t).y, 0) << t;
    ShapeMesh box = makeBox({1, 2, 3}, 2, false, 0);
    EXPECT_EQ(box.points.size(), 6u * 9u);  // every face its own points, for a UV square each
    for (size_t t = 0; t * 3 < box.corners.size(); ++t) {
        const uint32_t* c = &box.corners[3 * t];
        Vec3 centre = vecScale(vecAdd(vecAdd(box.points[c[0]], box.points[c[1]]), box.points[c[2]]), 1.0f / 3);
        EXPECT_GT(vecDot(faceNormal(box, t), centre), 0) << t;
    }
}

TEST(ContentShapes, FishRunFromHeadToTailAlongX) {
    FishShape shape = {2, 0.25f, 0.12f, 0.3f, 0.1f, 0.35f, false, 0.1f, 10, 10};
    ShapeMesh fish = makeFish(shape);
    float headX = -1e9f, tailX = 1e9f, top = 0;
    for (size_t i = 0; i < fish.points.size(); ++i) {
        EXPECT_GE(fish.u[i], 0);
        EXPECT_LE(fish.u[i], 1);
        // u follows x: 0 at +length/2, 1 at -length/2.
        EXPECT_NEAR(fish.u[i], 0.5f - fish.points[i].x / 2, 1e-5f);
        headX = std::max(headX, fish.points[i].x);
        tailX = std::min(tailX, fish.points[i].x);
        top = std::max(top, fish.points[i].y);
    }
    EXPECT_FLOAT_EQ(headX, 1);
    EXPECT_FLOAT_EQ(tailX, -1);
    for (size_t i = 0; i < fish.points.size(); ++i)
        if (fish.points[i].y == top) {
            EXPECT_FLOAT_EQ(fish.v[i], 1);  // the back at the top of the skin
        }

    shape.flukes = true;
    ShapeMesh whale = makeFish(shape);
    float flukeSpan = 0;
    for (const Vec3& p : whale.points)
        if (p.x < -0.95f) flukeSpan = std::max(flukeSpan, std::fabs(p.z));
    EXPECT_NEAR(flukeSpan, 0.5f * 0.3f * 2, 1e-5f);  // flukes spread sideways, not up
}

TEST(ContentShapes, BodyWeightsTakeAtMostTwoBonesAndSumToOne) {
    ShapeMesh whale = makeFish({8, 0.2f, 0.2f, 0.4f, 0, 0.3f, true, 0, 16, 12});
    weightAlongBody(&whale, {"Body", "Tail", "Fluke"});
    ASSERT_EQ(whale.weights.size(), whale.points.size());
    for (size_t i = 0; i < whale.points.size(); ++i) {
        const PointWeight& w = whale.weights[i];
        ASSERT_GE(w.count, 1);
        ASSERT_LE(w.count, 2);
        EXPECT_NEAR(w.weight[0] + (w.count == 2 ? w.weight[1] : 0), 1, 1e-5f);
        if (whale.u[i] < 0.1f) {
            EXPECT_EQ(w.map[0], 0);  // head: the body bone
        }
        if (whale.u[i] > 0.9f) {
            EXPECT_EQ(w.map[w.count - 1], 2);  // tail tip: the fluke bone
        }
    }
}

TEST(ContentDescription, ChannelsReadConstantsKeysAndBehaviours) {
    LwEnvelope constant = channel("2.5");
    ASSERT_EQ(constant.keys.size(), 1u);
    EXPECT_FLOAT_EQ(constant.keys[0].value, 2.5f);

    LwEnvelope keyed = channel("stepped 0 90 1.5 180 pre=oscillate post=offset", 3.14159265f / 180);
    ASSERT_EQ(keyed.keys.size(), 2u);
    EXPECT_EQ(keyed.keys[1].shape, 4);
    EXPECT_FLOAT_EQ(keyed.keys[1].time, 1.5f);
    EXPECT_NEAR(keyed.keys[1].value, 3.14159265f, 1e-6f);  // degrees to radians, times untouched
    EXPECT_EQ(keyed.preBehavior, 3);
    EXPECT_EQ(keyed.postBehavior, 4);

    EXPECT_NE(channelError("wobble 0 1").find("test.txt:1:"), std::string::npos);
    EXPECT_NE(channelError("tcb 1 0 1 5").find("increase"), std::string::npos);
    EXPECT_NE(channelError("tcb 0 1 2").find("pairs"), std::string::npos);
    EXPECT_NE(channelError("tcb 0 1 post=sometimes").find("post="), std::string::npos);
    EXPECT_NE(channelError("linear").find("at least one"), std::string::npos);
}

TEST(ContentDescription, SmoothTangentsFollowStraightDataInThePlayer) {
    // Keys on a straight line must give the straight line between them in every smooth shape.
    for (const char* shape : {"hermite", "bezier", "bezier2d"}) {
        Envelope e = playerEnvelope(channel(std::string(shape) + " 0 0 1 2 3 6 4 8"));
        for (float t : {0.25f, 0.5f, 1.7f, 2.5f, 3.5f}) EXPECT_NEAR(evalEnvelope(&e, t), 2 * t, 2e-3f) << shape << t;
        releaseEnvelope(&e);
    }
    // A hump stays a hump: the middle of a rise-and-fall overshoots neither end.
    Envelope hump = playerEnvelope(channel("hermite 0 0 1 1 2 0"));
    EXPECT_GT(evalEnvelope(&hump, 0.5f), 0.5f);
    EXPECT_LE(evalEnvelope(&hump, 1.0f), 1.0f);
    releaseEnvelope(&hump);
    packageRelease();
}

TEST(ContentDescription, TheGeneratorEvaluatesChannelsAsThePlayerDoes) {
    // Cameras are aimed along these values: every shape and behaviour, inside and outside the keys.
    for (const char* text : {"tcb 0 1 1 3 2.5 -1 4 0 pre=linear post=oscillate", "hermite 0 0 1 2 3 1 post=repeat",
                             "bezier 1 2 2 -1 4 3 pre=offset post=offset", "linear 0 0 2 4 3 1 pre=linear post=linear",
                             "stepped 0 1 1 2 2 5 pre=reset", "bezier2d 0 0 1 3 2 1 4 2 post=oscillate"}) {
        const LwEnvelope written = channel(text);
        Envelope player = playerEnvelope(written);
        for (float t = -3.0f; t < 11.0f; t += 0.37f)
            EXPECT_NEAR(evalChannel(written, t), evalEnvelope(&player, t), 2e-3f) << text << " at " << t;
        releaseEnvelope(&player);
    }
    packageRelease();
}

TEST(ContentDescription, CommentsBlankLinesAndLineNumbers) {
    Description d = lines("# heading\n\nobject a  b # trailing\n   \nnull Z\n");
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0].number, 3);
    EXPECT_EQ(d[0].words, (std::vector<std::string>{"object", "a", "b"}));
    EXPECT_EQ(d[1].number, 5);
}

TEST(ContentPrograms, PaddingKeepsEndLastAtTheExactSize) {
    const std::string program = "!!ARBfp1.0\nMOV result.color, fragment.color;\nEND\n";
    for (size_t size : {program.size(), program.size() + 1, program.size() + 2, program.size() + 65,
                        program.size() + 130, size_t(1496)}) {
        std::string padded, error;
        ASSERT_TRUE(padProgram(program, size, &padded, &error)) << error;
        EXPECT_EQ(padded.size(), size);
        EXPECT_EQ(padded.substr(0, 11), "!!ARBfp1.0\n");
        EXPECT_EQ(padded.substr(padded.size() - 4), "END\n");
        EXPECT_EQ(padded.find("END"), padded.size() - 4);  // only comments before it
    }
    std::string padded, error;
    EXPECT_FALSE(padProgram(program, program.size() - 1, &padded, &error));
    EXPECT_FALSE(padProgram("!!ARBfp1.0\nMOV result.color, fragment.color;\n", 200, &padded, &error));
}

TEST(ContentObjects, WrittenObjectsReadBackWithTheirMaterial) {
    MaterialTable materials;
    std::string error;
    ASSERT_TRUE(readMaterials(lines("material skin\n colour 1 0.5 0.25\n specular 0.4\n smoothing 90\n"
                                    " layer COLR Demo/skin.jpg wrap=edge\n"
                                    " layer SPEC sequence Demo/c 2 .jpg 0 16 blend=additive\n"
                                    " layer BUMP Demo/skin_n.tga\n"),
                              &materials, &error))
        << error;
    Description d = lines("object Demo/f.lwo fish length=2 bones=Head,Tail material=skin\n");
    ObjectRecipe recipe;
    ASSERT_TRUE(buildObjectRecipe(d[0], materials, &recipe, &error)) << error;
    std::vector<uint8_t> bytes = writeObjectRecipe(recipe);
    loadTestPackage({{"Demo/f.lwo", std::string(bytes.begin(), bytes.end())}});
    RawObject* object = readObject("Demo/f.lwo");
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->pointCount, int32_t(recipe.mesh.points.size()));
    EXPECT_EQ(object->triangleCount, int32_t(recipe.mesh.corners.size() / 3));
    ASSERT_EQ(object->surfaceCount, 1);
    const RawSurface& s = object->surfaces[0];
    EXPECT_STREQ(s.name, "skin");
    EXPECT_FLOAT_EQ(s.color[1], 0.5f);
    EXPECT_FLOAT_EQ(s.specular, 0.4f);
    EXPECT_NEAR(s.smoothingAngle, 1.5707963f, 1e-5f);
    ASSERT_EQ(s.layerCount, 3);
    EXPECT_EQ(s.layers[0].channel, CHANNEL_COLR);
    EXPECT_EQ(s.layers[0].widthWrap, 3);
    EXPECT_EQ(s.layers[1].channel, CHANNEL_SPEC);
    EXPECT_EQ(s.layers[1].opacityType, 7);
    ASSERT_EQ(object->clipCount, 3);
    EXPECT_EQ(s.layers[1].image->digits, 2);
    EXPECT_EQ(s.layers[1].image->start, 0);
    EXPECT_EQ(s.layers[1].image->end, 16);
    EXPECT_STREQ(s.layers[1].image->suffix, ".jpg");
    EXPECT_EQ(object->weightMapCount, 2);
    EXPECT_STREQ(object->weightMapNames[1], "Tail");
    // The skin's UV map carries the body's u: the nose at 0.
    const ObjectUv* nose = findPointUv(object, 0, s.layers[0].uvMap);
    ASSERT_NE(nose, nullptr);
    EXPECT_FLOAT_EQ(nose->u, 0);
    freeRawObject(object);
    packageRelease();

    auto refused = [&](const std::string& text) {
        ObjectRecipe r;
        std::string e;
        EXPECT_FALSE(buildObjectRecipe(lines(text)[0], materials, &r, &e)) << text;
        return e;
    };
    EXPECT_NE(refused("object Demo/x.lwo blob material=skin").find("unknown shape"), std::string::npos);
    EXPECT_NE(refused("object Demo/x.lwo sphere material=paint").find("material"), std::string::npos);
    EXPECT_NE(refused("object Demo/x.lwo sphere radius=big material=skin").find("radius"), std::string::npos);
    EXPECT_NE(refused("object Demo/x.lwo terrain cells=600 material=skin").find("cells"), std::string::npos);
}

TEST(ContentScenes, ScenesNameTheirItemsLightsCamerasAndBones) {
    ProductionFiles files;
    std::string error;
    ASSERT_TRUE(buildScene(lines("scene Demo/s.lws\n"
                                 "object Demo/a.lwo\n label Base\n path tcb 0 0 0 0 2 1 2 3\n"
                                 "bone Root\n rest 0 0 0\n direction -90 0 0\n map Body\n"
                                 "bone Tip\n parent Root\n rest 0 0 1\n pitch tcb 0 -10 1 10 post=repeat\n"
                                 "null Bubbles\n parent Base\n"
                                 "light Sun distant\n intensity tcb 0 0.5 1 1\n"
                                 "light Beam spot\n cone 20\n"
                                 "camera Main\n position 0 0 -5\n target 0 0 0\n zoom linear 0 3 1 4\n"),
                           &files, &error))
        << error;
    const std::vector<uint8_t>& bytes = files.at("Demo/s.lws");
    std::string text(bytes.begin(), bytes.end());
    for (const char* expected : {"LoadObjectLayer 1 Demo/a.lwo", "AddBone", "BoneName Tip", "BoneWeightMapName Body",
                                 "ParentItem 40000000", "AddNullObject Bubbles", "ParentItem 10000000",
                                 "LightIntensity (envelope)", "LightType 2", "LightConeAngle 20", "CameraName Main",
                                 "ZoomFactor (envelope)"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected;

    auto refused = [&](const std::string& text) {
        ProductionFiles f;
        std::string e;
        EXPECT_FALSE(buildScene(lines(text), &f, &e)) << text;
        return e;
    };
    EXPECT_NE(refused("scene Demo/s.lws\nobject a\n parent Nobody\nlight L point\ncamera C\n").find("test.txt:3:"),
              std::string::npos);
    EXPECT_NE(refused("scene Demo/s.lws\nobject a\ncamera C\nlight L point\n").find("before the cameras"),
              std::string::npos);
    EXPECT_NE(refused("scene Demo/s.lws\nobject a\nlight L point\n").find("one light and one camera"),
              std::string::npos);
    EXPECT_NE(refused("scene Demo/s.lws\nnull n\nbone B\nlight L point\ncamera C\n").find("follows its object"),
              std::string::npos);
    EXPECT_NE(refused("scene Demo/s.lws\nobject a\nlight L lamp\ncamera C\n").find("distant|point|spot"),
              std::string::npos);
    EXPECT_NE(refused("scene Demo/s.lws\nobject a\nlight L point\ncamera C\n sx 2\n").find("no scale"),
              std::string::npos);
    EXPECT_NE(refused("scene Demo/s.lws\nnull N\nlight L point\ncamera C\n target Nobody\n").find("Nobody"),
              std::string::npos);
    EXPECT_NE(refused("scene Demo/s.lws\nnull N\nlight L point\ncamera C\n target N 1 2\n").find("target ITEM"),
              std::string::npos);
}

TEST(ContentScenes, TargetedCamerasLookAtTheirTarget) {
    ProductionFiles files;
    std::string error;
    ASSERT_TRUE(buildScene(lines("scene Demo/s.lws\nlight L distant\n"
                                 "camera C\n path linear 0 0 0 -10 1 10 0 0 2 0 10 0.001\n target 0 0 0\n"),
                           &files, &error))
        << error;
    const std::vector<uint8_t>& bytes = files.at("Demo/s.lws");
    loadTestPackage({{"Demo/s.lws", std::string(bytes.begin(), bytes.end())}});
    DemoFile file = fileOpen("Demo/s.lws", "r");
    char word[64];
    while (fileScan(file, "%63s", word) == 1 && std::string(word) != "CameraMotion") {
    }
    fileScan(file, "%63s", word);  // the line's "NumChannels"
    Envelope motion[CAMERA_MOTION_CHANNELS] = {};
    ASSERT_TRUE(readMotion(motion, CAMERA_MOTION_CHANNELS, file));
    EXPECT_NEAR(evalEnvelope(&motion[3], 0), 0, 1e-5f);             // looking along +z
    EXPECT_NEAR(evalEnvelope(&motion[3], 1), -1.5707963f, 1e-5f);   // from +x: turned towards -x
    EXPECT_NEAR(evalEnvelope(&motion[4], 2), 1.5707963f, 1e-3f);    // from above: pitched down
    for (Envelope& e : motion) releaseEnvelope(&e);
    packageRelease();
}

// Motions of the written scene's blocks that start with `keyword`, in file order, as the player reads them.
std::vector<std::vector<Envelope>> playerMotions(const std::string& text, const char* keyword, int channels) {
    loadTestPackage({{"Demo/s.lws", text}});
    DemoFile file = fileOpen("Demo/s.lws", "r");
    std::vector<std::vector<Envelope>> motions;
    char word[64];
    while (fileScan(file, "%63s", word) == 1) {
        if (std::string(word) != keyword) continue;
        fileScan(file, "%63s", word);  // the line's "NumChannels"
        motions.emplace_back(size_t(channels), Envelope{});
        EXPECT_TRUE(readMotion(motions.back().data(), channels, file));
    }
    return motions;
}

TEST(ContentScenes, CamerasFollowAMovingItemThroughItsParent) {
    // A turning, travelling carrier holds the subject off its centre; the camera rises past them.
    ProductionFiles files;
    std::string error;
    ASSERT_TRUE(buildScene(lines("scene Demo/s.lws\nframes 0 120 30\n"
                                 "null Carrier\n path tcb 0 -6 0 10 2 0 1 8 4 6 0 10\n"
                                 " heading linear 0 0 4 120\n pitch 10\n"
                                 "object Demo/subject.lwo\n label Subject\n parent Carrier\n position 2 0 0\n"
                                 "light L distant\n"
                                 "camera C\n path tcb 0 -1 -2 -3 4 1 3 -2\n target Subject 0 0.5 0\n"),
                           &files, &error))
        << error;
    const std::vector<uint8_t>& bytes = files.at("Demo/s.lws");
    const std::string text(bytes.begin(), bytes.end());
    std::vector<std::vector<Envelope>> items = playerMotions(text, "ObjectMotion", MOTION_CHANNELS);
    std::vector<std::vector<Envelope>> cameras = playerMotions(text, "CameraMotion", CAMERA_MOTION_CHANNELS);
    ASSERT_EQ(items.size(), 2u);
    ASSERT_EQ(cameras.size(), 1u);
    for (float t : {0.1f, 1.13f, 2.0f, 2.9f, 3.95f}) {
        // The subject's point through the player's item matrices, parent first.
        float parent[16], child[16], world[16];
        motionMatrix(parent, items[0].data(), t, nullptr);
        motionMatrix(child, items[1].data(), t, nullptr);
        copyMatrix(world, parent);
        matrixMultiply(world, child);
        const Vec3 subject = {world[4] * 0.5f + world[12], world[5] * 0.5f + world[13], world[6] * 0.5f + world[14]};
        const Envelope* c = cameras[0].data();
        const Vec3 eye = {evalEnvelope(&c[0], t), evalEnvelope(&c[1], t), evalEnvelope(&c[2], t)};
        const float h = evalEnvelope(&c[3], t), p = evalEnvelope(&c[4], t);
        const Vec3 looking = {std::sin(h) * std::cos(p), -std::sin(p), std::cos(h) * std::cos(p)};
        const float off = std::acos(std::min(1.0f, vecDot(looking, vecNormalise(vecSub(subject, eye)))));
        EXPECT_LT(off, 0.01f) << "at " << t << " s the camera looks " << off << " rad past its subject";
    }
    for (auto* motions : {&items, &cameras})
        for (auto& motion : *motions)
            for (Envelope& e : motion) releaseEnvelope(&e);
    packageRelease();
}

TEST(ContentExtras, BlobControlScenesHold210MotionsWithPositiveHeights) {
    std::string text = makeBlobControlScene(5, 1, 0.2f, 4, 0.1f);
    loadTestPackage({{"Demo/k.lws", text}});
    DemoFile file = fileOpen("Demo/k.lws", "r");
    char word[64];
    while (fileScan(file, "%63s", word) == 1 && std::string(word) != "AddNullObject") {
    }
    Envelope motion[MOTION_CHANNELS] = {};
    for (int k = 0; k < 210; ++k) {
        ASSERT_TRUE(readMotion(motion, MOTION_CHANNELS, file)) << k;
        for (float t : {0.0f, 1.3f, 2.0f, 7.7f}) {
            float y = evalEnvelope(&motion[1], t);
            if (k < 209) {
                EXPECT_GT(y, 0.75f) << k;
            } else {
                EXPECT_NEAR(y, 0.075f, 0.027f);  // depth x (0.75 +- 0.25)
            }
        }
        // One period later the heights come back: the blob breathes without a jump.
        EXPECT_NEAR(evalEnvelope(&motion[1], 0.5f), evalEnvelope(&motion[1], 4.5f), 1e-5f);
        for (Envelope& e : motion) releaseEnvelope(&e);
    }
    packageRelease();
}

#ifdef VELMORA_CONTENT_DIR
TEST(ContentProduction, TheSourcesBuildAndEveryObjectReads) {
    ProductionFiles files;
    std::string error;
    ASSERT_TRUE(buildProduction(VELMORA_CONTENT_DIR, &files, &error)) << error;
    for (const char* path : {"Demo/Skrypt.txt", "Demo/ClipScript.txt", "Demo/SceneSetup.txt", "Demo/lights.vsh",
                             "Demo/lights.psh", "Demo/Tex/shaft.tga", "Demo/Kula_swiatla_powierzchnia.lws"})
        EXPECT_TRUE(files.count(path)) << path;
    EXPECT_EQ(files.at("Demo/lights.vsh").size(), 1146u);
    EXPECT_EQ(files.at("Demo/lights.psh").size(), 1496u);
    TestFiles objects;
    for (const auto& file : files)
        if (file.first.size() > 4 && file.first.compare(file.first.size() - 4, 4, ".lwo") == 0)
            objects.push_back({file.first, std::string(file.second.begin(), file.second.end())});
    ASSERT_GT(objects.size(), 20u);
    loadTestPackage(objects);
    for (const auto& object : objects) {
        RawObject* raw = readObject(object.first.c_str());
        ASSERT_NE(raw, nullptr) << object.first;
        EXPECT_GT(raw->triangleCount, 0) << object.first;
        // Indices stay 16-bit and no point is shared by more triangles than the reader keeps.
        EXPECT_LT(raw->pointCount, 0xFF00) << object.first;
        for (int32_t p = 0; p < raw->pointCount; ++p)
            ASSERT_LT(raw->points[p].triangleCount, OBJECT_TRIANGLES_PER_POINT) << object.first;
        freeRawObject(raw);
    }
    packageRelease();
}
#endif

}  // namespace
