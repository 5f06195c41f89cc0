// A receiver under an occluder, through the whole player: a camera looks straight down on two plates
// (the ground at height 0 on one side, a shelf at height 2 on the other); a roof above the camera
// casts its shadow on both. The light is at height 10 over a volume of half-size 5.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/capture.h"
#include "tests/support/ci.h"
#include "tests/support/process.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/test_images.h"
#include "tests/support/test_package.h"
#include "tests/support/xvfb.h"
#include "tools/lightwave/lw_writer.h"

namespace {

enum { WIDTH = 160, HEIGHT = 120 };

// A plate facing up, x0..x1 by z0..z1 at height y, with a caustics layer (which carries the shadow
// coordinates) of a white picture.
std::string plate(float x0, float x1, float z0, float z1, float y) {
    LwObject o = lwTriangles({{x0, y, z0}, {x0, y, z1}, {x1, y, z1}, {x1, y, z0}}, {0, 1, 2, 0, 2, 3}, "Plate");
    LwClip clip;
    clip.fileName = "Demo/white.bmp";
    o.clips.push_back(clip);
    LwTextureLayer caustics;
    caustics.channel = "SPEC";
    caustics.projection = 0;
    o.surfaces[0].color[0] = o.surfaces[0].color[1] = o.surfaces[0].color[2] = 1.0f;
    o.surfaces[0].layers.push_back(caustics);
    std::vector<uint8_t> bytes = writeLwo(o);
    return std::string(bytes.begin(), bytes.end());
}

// Grey level of the captured frame at a share of its width and height (BGR, bottom row first).
int grey(const std::string& bmp, float u, float v) {
    BmpInfoHeader info;
    std::memcpy(&info, bmp.data() + 14, sizeof info);
    uint32_t offset;
    std::memcpy(&offset, bmp.data() + 10, 4);
    const size_t row = size_t(bmpRowSize(info.width));
    const size_t at = offset + size_t(v * float(info.height)) * row + size_t(u * float(info.width)) * 3;
    return (uint8_t(bmp[at]) + uint8_t(bmp[at + 1]) + uint8_t(bmp[at + 2])) / 3;
}

std::string frameWithShadows(int mode) {
    LwScene scene;
    for (const char* object : {"Demo/ground.lwo", "Demo/shelf.lwo", "Demo/roof.lwo"}) {
        LwItem item;
        item.name = object;
        scene.items.push_back(item);
    }
    LwLight light;
    light.motion = lwStill(0, 10, 0, 0, 1.5707964f, 0);  // straight down
    scene.lights.push_back(light);
    LwCamera camera;
    camera.name = "Down";
    camera.zoom = 1.0f;
    camera.motion = lwStill(0, 4, 0, 0, 1.5707964f, 0);
    scene.cameras.push_back(camera);

    const std::string setup = "scene Demo/S.lws shadows 1 " + std::to_string(mode) +
                              " shadowAmbient 0.1 shadowSoftness 3 shadowEnvelopes Demo/X.env Demo/Y.env Demo/Z.env "
                              "Demo/W.env shadowDepthScale 0.05 causticsScale 0.25 end\n";
    const float volume[4] = {0, 10, 0, 5};
    const char* const volumeFiles[4] = {"Demo/X.env", "Demo/Y.env", "Demo/Z.env", "Demo/W.env"};
    TestFiles files = {
        {"Demo/Skrypt.txt",
         "init set maxscenes 1 set global duration 0:5:0 set global start 0:0:0 set global end 0:0:80 end_init "
         "begin load scene S Demo/S.lws play scene S Down from 0:0:0 start 0:0:0 end 0:5:0 end\n"},
        {"Demo/SceneSetup.txt", setup},
        {"Demo/S.lws", writeLws(scene)},
        {"Demo/white.bmp", makeBmp(flatPicture(8, 8, 255, 255, 255))},
        // The ground reaches past the volume's edge at x = -5; the roof spans x -3 .. 3.
        {"Demo/ground.lwo", plate(-9, 0, -6, 6, 0)},
        {"Demo/shelf.lwo", plate(0, 9, -6, 6, 2)},
        {"Demo/roof.lwo", plate(-3, 3, -6, 6, 6)},
    };
    for (int k = 0; k < 4; ++k) files.push_back({volumeFiles[k], writeEnvelope(lwConstant(volume[k]))});

    ScratchDir work("receiver");
    std::vector<unsigned char> bytes = buildTestPackage(files);
    writeFile(work.path + "/demo.dat", std::string(bytes.begin(), bytes.end()));
    ProcessResult run = runProcess({VELMORA_BINARY, "--capture", "--frames", "1", "--mode",
                                    std::to_string(WIDTH) + "x" + std::to_string(HEIGHT), "--windowed", "--no-music",
                                    "--batch", "--data", work.path, "--output", work.path},
                                   {"DISPLAY=" + sharedXvfb()->display, "SDL_AUDIODRIVER=dummy"}, 60000, work.path);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return readFile(work.path + "/demo00000.bmp");
}

// Stored under the roof: (10 - 6) x 0.05 = 0.2 (+ the decoding bias 0.0069); the ground's own value is
// 0.5, the shelf's 0.4. Hard: 0.1 ambient under the roof, whatever the depth. Soft, gain 3: the
// ground keeps 1 - 3 x 0.793 x 0.293 = 0.30, the shelf 1 - 3 x 0.793 x 0.193 = 0.54, plus the ambient.
TEST(ShadowReceiver, LitOutsideDarkBelowSofterNearTheOccluder) {
    if (sharedXvfb()->display.empty()) SKIP_OUTSIDE_CI("Xvfb cannot be started");
    const std::string hard = frameWithShadows(1), soft = frameWithShadows(2);
    ASSERT_GT(hard.size(), 54u);
    ASSERT_GT(soft.size(), 54u);
    struct Place {
        const char* what;
        float u;
        int hard, soft;
    } places[] = {
        {"ground outside the volume", 0.05f, 255, 255}, {"ground under the roof", 0.35f, 26, 103},
        {"shelf under the roof", 0.65f, 26, 163},      {"shelf beside the roof", 0.95f, 255, 255},
    };
    for (const Place& p : places)
        for (float v : {0.2f, 0.5f, 0.8f}) {
            EXPECT_NEAR(grey(hard, p.u, v), p.hard, 3) << p.what;
            EXPECT_NEAR(grey(soft, p.u, v), p.soft, 3) << p.what;
        }
}

}  // namespace
