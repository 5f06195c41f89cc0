// The production's pictures: every file name the package needs, how it is painted and stored.
#pragma once
#include <string>

#include "tools/content/canvas.h"
#include "tools/content/image_encode.h"

enum PictureFormat {
    PICTURE_JPEG,
    PICTURE_BMP,      // 24-bit, bottom-up
    PICTURE_TGA,      // type 2, plain
    PICTURE_TGA_RLE,  // type 10, run-length
};

// What a painter gets: the size to paint, the frame of a numbered sequence, and where the DejaVu
// fonts are (fonts-dejavu-core).
struct PaintJob {
    int width;
    int height;
    int frame;
    const char* fontDirectory;
};
typedef bool (*PaintFunction)(const PaintJob& job, Pixmap* out, std::string* error);

struct PictureRecipe {
    const char* name;  // path in the package
    PaintFunction paint;
    int width;
    int height;
    int frame;
    PictureFormat format;
    int quality;  // JPEG only
};

// The whole table, in package order.
const PictureRecipe* pictureRecipes(int* count);
// The recipe for a package path, or null.
const PictureRecipe* findPicture(const char* name);
// Paints and encodes one picture.
bool buildPicture(const PictureRecipe& recipe, const char* fontDirectory, Bytes* out, std::string* error);

// Painters (pictures_cards.cpp, pictures_effects.cpp, pictures_surfaces.cpp).
bool paintTitleCard(const PaintJob& job, Pixmap* out, std::string* error);
bool paintFontAtlas(const PaintJob& job, Pixmap* out, std::string* error);
bool paintAwakening(const PaintJob& job, Pixmap* out, std::string* error);
bool paintLastMessage(const PaintJob& job, Pixmap* out, std::string* error);
bool paintColoursCool(const PaintJob& job, Pixmap* out, std::string* error);
bool paintColoursRibbon(const PaintJob& job, Pixmap* out, std::string* error);
bool paintColoursWarm(const PaintJob& job, Pixmap* out, std::string* error);
bool paintEnvironment(const PaintJob& job, Pixmap* out, std::string* error);
bool paintCaustics(const PaintJob& job, Pixmap* out, std::string* error);
bool paintSandColour(const PaintJob& job, Pixmap* out, std::string* error);
bool paintSandHeight(const PaintJob& job, Pixmap* out, std::string* error);
bool paintSandNormal(const PaintJob& job, Pixmap* out, std::string* error);
bool paintRockColour(const PaintJob& job, Pixmap* out, std::string* error);
bool paintRockHeight(const PaintJob& job, Pixmap* out, std::string* error);
bool paintRockNormal(const PaintJob& job, Pixmap* out, std::string* error);
bool paintMetalColour(const PaintJob& job, Pixmap* out, std::string* error);
bool paintMetalNormal(const PaintJob& job, Pixmap* out, std::string* error);
bool paintMetalGloss(const PaintJob& job, Pixmap* out, std::string* error);
bool paintGlassAlpha(const PaintJob& job, Pixmap* out, std::string* error);
bool paintLampGlow(const PaintJob& job, Pixmap* out, std::string* error);
bool paintMetalSpecular(const PaintJob& job, Pixmap* out, std::string* error);
bool paintFishSkin(const PaintJob& job, Pixmap* out, std::string* error);
bool paintFishGloss(const PaintJob& job, Pixmap* out, std::string* error);
bool paintWhaleSkin(const PaintJob& job, Pixmap* out, std::string* error);

// The atlas layout of the typing font: 17 columns by 6 rows, '!' in the top-left cell.
enum { FONT_ATLAS_COLUMNS = 17, FONT_ATLAS_ROWS = 6, FONT_ATLAS_FIRST = 33 };
