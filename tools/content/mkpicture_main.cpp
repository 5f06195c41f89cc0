// velmora_mkpicture: paints pictures of the sample production into a package tree.
//   velmora_mkpicture --fonts DIR TREE NAME...   writes TREE/NAME for each package path NAME
//   velmora_mkpicture --list                     prints every package path it can paint
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/content/pictures.h"

int main(int argc, char** argv) {
    if (argc == 2 && !std::strcmp(argv[1], "--list")) {
        int count = 0;
        const PictureRecipe* recipes = pictureRecipes(&count);
        for (int i = 0; i < count; ++i) std::printf("%s\n", recipes[i].name);
        return 0;
    }
    if (argc < 5 || std::strcmp(argv[1], "--fonts") != 0) {
        std::fprintf(stderr, "usage: velmora_mkpicture --fonts DIR TREE NAME...\n       velmora_mkpicture --list\n");
        return 2;
    }
    const char* fonts = argv[2];
    std::string tree = argv[3];
    for (int i = 4; i < argc; ++i) {
        const PictureRecipe* recipe = findPicture(argv[i]);
        if (!recipe) {
            std::fprintf(stderr, "velmora_mkpicture: no picture named %s (see --list)\n", argv[i]);
            return 1;
        }
        Bytes bytes;
        std::string error;
        if (!buildPicture(*recipe, fonts, &bytes, &error) || !writeFileBytes(tree + "/" + argv[i], bytes, &error)) {
            std::fprintf(stderr, "velmora_mkpicture: %s: %s\n", argv[i], error.c_str());
            return 1;
        }
    }
    return 0;
}
