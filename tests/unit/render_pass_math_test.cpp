// The numbers the rendering passes compute without the device: projection, picture placement,
// image-sequence frames, light vector slots.
#include <gtest/gtest.h>

#include <cmath>

#include "render/light_slots.h"
#include "render/main_pass.h"
#include "render/render_frame.h"
#include "render/scene_setup_pass.h"
#include "scene/scene.h"

namespace {

TEST(Frustum, FollowsZoomAndAspectAndStaysFiniteAtTinyZooms) {
    Frustum f = cameraFrustum(3.2f, 640, 480);
    const double expected[6] = {0.042733, -0.042733, -0.03125, 0.03125, 0.1, 1000.0};
    for (int k = 0; k < 6; ++k) EXPECT_NEAR(f.planes[k], expected[k], 1e-6) << k;

    // Half-angles at or past 90 degrees would flip or blow up the projection.
    for (float zoom : {0.0f, 0.2f, 1e-6f}) {
        f = cameraFrustum(zoom, 640, 480);
        EXPECT_TRUE(std::isfinite(f.planes[0])) << zoom;
        EXPECT_GT(f.planes[0], 0.0) << zoom;
        EXPECT_GT(f.planes[3], 0.0) << zoom;
    }
}

TEST(Viewport, CentresThePictureInTheClientArea) {
    struct Case { int32_t cw, ch, w, h, x, y; };
    for (Case c : {Case{740, 530, 640, 480, 50, 25}, Case{640, 480, 640, 480, 0, 0}}) {
        int32_t x, y;
        pictureViewport(c.cw, c.ch, c.w, c.h, &x, &y);
        EXPECT_EQ(x, c.x);
        EXPECT_EQ(y, c.y);
    }
}

TEST(TextureFrame, FollowsThePeriodAndSurvivesAZeroOne) {
    struct Case { int32_t time, period, frames, frame; };
    const Case cases[] = {
        {400, 775, 10, 5},   // 400 x 10 / 775
        {775, 775, 10, 0},   // the period wraps
        {1174, 775, 10, 5},  // 399 ms into the second period
        {400, 0, 10, 5},     // no period set: the usual 775 ms
        {400, -3, 10, 5},
        {400, 775, 1, 0},    // a still
        {2000000000, 60000, 2000, 666},  // no overflow in the product
    };
    for (const Case& c : cases) EXPECT_EQ(textureFrame(c.time, c.period, c.frames), c.frame) << c.time << " " << c.period;
}

TEST(LightSlots, TheFirstSurfaceWithoutRoomIsNamed) {
    Surface wide = {}, narrow = {};
    wide.layerCount = 6;
    narrow.layerCount = 2;
    SurfaceInstance instances[2] = {{&narrow, 0, 0, {}}, {&wide, 0, 0, {}}};
    SceneItem items[2] = {};
    items[0].isNull = 1;
    items[1].surfaceCount = 2;
    items[1].surfaces = instances;
    Scene* scene = new Scene();
    scene->items = items;
    scene->itemCount = 2;
    // Distant, spot, point: the spot passes no vector.
    const int32_t types[] = {0, 2, 1};
    for (int32_t type : types) scene->lights[scene->lightCount++].type = type;
    EXPECT_EQ(lightVectorCount(scene), 2);

    LightSlotOverflow fits = findLightSlotOverflow(scene, 8);
    EXPECT_EQ(fits.item, -1);
    scene->lights[scene->lightCount++].type = 1;
    LightSlotOverflow over = findLightSlotOverflow(scene, 8);
    EXPECT_EQ(over.item, 1);
    EXPECT_EQ(over.surface, 1);
    EXPECT_EQ(over.needed, 9);
    EXPECT_EQ(findLightSlotOverflow(scene, 0).item, -1);  // limit unknown
    delete scene;
}

}  // namespace
