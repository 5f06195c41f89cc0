#include <cstring>

#include "tools/content/pictures.h"

namespace {

// Title and overlays are 1:1 pictures of which the player shows the upper three quarters at 4:3.
const PictureRecipe kPictures[] = {
    {"Demo/VarizIvora.jpg", paintTitleCard, 1024, 1024, 0, PICTURE_JPEG, 90},
    {"Demo/Fonts.JPG", paintFontAtlas, 1024, 512, 0, PICTURE_JPEG, 92},
    {"Demo/Apocalypse.JPG", paintAwakening, 512, 512, 0, PICTURE_JPEG, 88},
    {"Demo/Please_dont_dissappear.JPG", paintLastMessage, 512, 512, 0, PICTURE_JPEG, 88},
    {"Demo/Kolorki.JPG", paintColoursCool, 256, 256, 0, PICTURE_JPEG, 90},
    {"Demo/Kolorki2.JPG", paintColoursRibbon, 256, 256, 0, PICTURE_JPEG, 90},
    {"Demo/Kolorki3.JPG", paintColoursWarm, 256, 256, 0, PICTURE_JPEG, 90},
    {"Demo/Env1.JPG", paintEnvironment, 256, 256, 0, PICTURE_JPEG, 90},
    {"Demo/Tex/sand_color.jpg", paintSandColour, 512, 512, 0, PICTURE_JPEG, 85},
    {"Demo/Tex/sand_height.bmp", paintSandHeight, 256, 256, 0, PICTURE_BMP, 0},
    {"Demo/Tex/sand_normal.tga", paintSandNormal, 256, 256, 0, PICTURE_TGA_RLE, 0},
    {"Demo/Tex/rock_color.jpg", paintRockColour, 512, 512, 0, PICTURE_JPEG, 85},
    {"Demo/Tex/rock_height.bmp", paintRockHeight, 256, 256, 0, PICTURE_BMP, 0},
    {"Demo/Tex/rock_normal.tga", paintRockNormal, 256, 256, 0, PICTURE_TGA, 0},
    {"Demo/Tex/metal_color.jpg", paintMetalColour, 512, 512, 0, PICTURE_JPEG, 85},
    {"Demo/Tex/metal_normal.tga", paintMetalNormal, 256, 256, 0, PICTURE_TGA, 0},
    {"Demo/Tex/metal_gloss.tga", paintMetalGloss, 256, 256, 0, PICTURE_TGA_RLE, 0},
    {"Demo/Tex/metal_specular.jpg", paintMetalSpecular, 256, 256, 0, PICTURE_JPEG, 85},
    {"Demo/Tex/fish_skin.jpg", paintFishSkin, 256, 256, 0, PICTURE_JPEG, 88},
    {"Demo/Tex/fish_gloss.bmp", paintFishGloss, 256, 256, 0, PICTURE_BMP, 0},
    {"Demo/Tex/whale_skin.jpg", paintWhaleSkin, 256, 256, 0, PICTURE_JPEG, 85},
    {"Demo/Tex/glass_alpha.bmp", paintGlassAlpha, 128, 128, 0, PICTURE_BMP, 0},
    {"Demo/Tex/lamp_glow.jpg", paintLampGlow, 128, 128, 0, PICTURE_JPEG, 88},
    // Caustics: 16 frames that loop and tile, named with two digits from 00.
    {"Demo/Tex/caust00.jpg", paintCaustics, 256, 256, 0, PICTURE_JPEG, 85},
    {"Demo/Tex/caust01.jpg", paintCaustics, 256, 256, 1, PICTURE_JPEG, 85},
    {"Demo/Tex/caust02.jpg", paintCaustics, 256, 256, 2, PICTURE_JPEG, 85},
    {"Demo/Tex/caust03.jpg", paintCaustics, 256, 256, 3, PICTURE_JPEG, 85},
    {"Demo/Tex/caust04.jpg", paintCaustics, 256, 256, 4, PICTURE_JPEG, 85},
    {"Demo/Tex/caust05.jpg", paintCaustics, 256, 256, 5, PICTURE_JPEG, 85},
    {"Demo/Tex/caust06.jpg", paintCaustics, 256, 256, 6, PICTURE_JPEG, 85},
    {"Demo/Tex/caust07.jpg", paintCaustics, 256, 256, 7, PICTURE_JPEG, 85},
    {"Demo/Tex/caust08.jpg", paintCaustics, 256, 256, 8, PICTURE_JPEG, 85},
    {"Demo/Tex/caust09.jpg", paintCaustics, 256, 256, 9, PICTURE_JPEG, 85},
    {"Demo/Tex/caust10.jpg", paintCaustics, 256, 256, 10, PICTURE_JPEG, 85},
    {"Demo/Tex/caust11.jpg", paintCaustics, 256, 256, 11, PICTURE_JPEG, 85},
    {"Demo/Tex/caust12.jpg", paintCaustics, 256, 256, 12, PICTURE_JPEG, 85},
    {"Demo/Tex/caust13.jpg", paintCaustics, 256, 256, 13, PICTURE_JPEG, 85},
    {"Demo/Tex/caust14.jpg", paintCaustics, 256, 256, 14, PICTURE_JPEG, 85},
    {"Demo/Tex/caust15.jpg", paintCaustics, 256, 256, 15, PICTURE_JPEG, 85},
};

}  // namespace

const PictureRecipe* pictureRecipes(int* count) {
    *count = int(sizeof kPictures / sizeof kPictures[0]);
    return kPictures;
}

const PictureRecipe* findPicture(const char* name) {
    for (const PictureRecipe& r : kPictures)
        if (!std::strcmp(r.name, name)) return &r;
    return nullptr;
}

bool buildPicture(const PictureRecipe& recipe, const char* fontDirectory, Bytes* out, std::string* error) {
    PaintJob job{recipe.width, recipe.height, recipe.frame, fontDirectory};
    Pixmap picture{0, 0, 0, {}};
    if (!recipe.paint(job, &picture, error)) return false;
    if (picture.width != recipe.width || picture.height != recipe.height) {
        *error = "painter made a picture of the wrong size";
        return false;
    }
    switch (recipe.format) {
        case PICTURE_JPEG: return encodeJpeg(picture, recipe.quality, out, error);
        case PICTURE_BMP: return encodeBmp(picture, out, error);
        case PICTURE_TGA: return encodeTga(picture, false, out, error);
        case PICTURE_TGA_RLE: return encodeTga(picture, true, out, error);
    }
    *error = "unknown picture format";
    return false;
}
