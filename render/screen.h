// The picture's place in the window: its 4:3 size, its viewport, the black bars beside it, and the
// loading screen drawn while the production loads.
#pragma once
#include <cstdint>

struct RenderState;

// The largest 4:3 picture that fits the client area; never 0 wide or high.
void fitPicture(int clientWidth, int clientHeight, int32_t* width, int32_t* height);

struct BorderBars {
    int count;  // 0 or 2
    int x[2], y[2], width[2], height[2];
};
// The black bars beside or above and below the picture.
BorderBars borderBars(int clientWidth, int clientHeight, int width, int height);

// Viewport = the centred picture rectangle.
void setPictureViewport(RenderState* render);

// The loading picture's upper three quarters over the view and the progress bar below; the caller
// makes the window current before and shows the frame after.
void drawLoadingScreen(RenderState* render);
// Where the loading bar ends, in whole pixels from the picture's left edge.
int32_t loadingBarPixels(const RenderState* render);
// Black bars over the client area outside the picture.
void drawBorderBars(RenderState* render);
