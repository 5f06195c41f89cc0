#include "tools/demotool/effect_files.h"

#include <cstring>

namespace {

const EffectRow kRows[] = {
    {"4DFractal", FAMILY_FRACTAL, "", 0, {0, 0, 0}, 0, false},
    {"3DBrain", FAMILY_FRACTAL, "", 0, {0, 0, 0}, 0, false},
    {"Small_4DFractal_1", FAMILY_FRACTAL, "", 0, {0, 0, 0}, 0, false},
    {"Small_4DFractal_2", FAMILY_FRACTAL, "", 0, {0, 0, 0}, 0, false},
    {"HorizontalGaussian", FAMILY_BLUR, "", 0, {0, 0, 0}, 0, false},
    {"PleaseDontDissappear", FAMILY_PICTURE, "Demo/Please_dont_dissappear.JPG", 0, {0, 0, 0}, 0, false},
    {"Apocalypse", FAMILY_PICTURE, "Demo/Apocalypse.JPG", 0, {0, 0, 0}, 0, false},
    {"Typing_Login", FAMILY_TYPING, "Demo/Login.txt", 0, {0, 0, 0}, 0, false},
    {"Typing_Scroll", FAMILY_TYPING, "Demo/Scroll.txt", 0, {0, 0, 0}, 0, false},
    {"SoftBody", FAMILY_SOFT_BODY, "Demo/SoftBody.lwo", 0, {0, 1, 0}, 2.2f, false},
    {"SoftSkrzynia", FAMILY_SOFT_BODY, "Demo/Meta.lwo", 0, {-0.5f, 2, 0}, 1.2f, true},
    {"SoftBody2", FAMILY_SOFT_BODY, "Demo/SoftBody2.lwo", 0, {0, 4, 0}, 2.2f, false},
    {"SoftBody3", FAMILY_SOFT_BODY, "Demo/SoftBody2.lwo", 0, {0, 4, 0}, 2.2f, false},
    {"SoftBody4", FAMILY_SOFT_BODY, "Demo/SoftBody2.lwo", 0, {0, 4, 0}, 2.2f, false},
    {"LightBlob", FAMILY_LIGHT_BLOB, "Demo/Kula_swiatla_powierzchnia.lws", 0, {0, 0, 0}, 0, false},
    {"LightBlobSpotkanie", FAMILY_LIGHT_BLOB, "Demo/Kula_swiatla_powierzchnia_spotkanie.lws", 0, {0, 0, 0}, 0, false},
    {"Kula_przy_statku", FAMILY_LIGHT_BLOB, "Demo/Kula_swiatla_powierzchnia_statek.lws", 0, {0, 0, 0}, 0, false},
    {"MetaBalls", FAMILY_METABALLS, "", 0, {0, 0, 0}, 0, false},
    {"Whale", FAMILY_SWIMMING, "Demo/wielo.lwo", 0, {0, 0, 0}, 0, false},
    {"Babka", FAMILY_SWIMMING, "Demo/ELF2.lwo", 0, {0, 0, 0}, 0, false},
    {"Kula", FAMILY_SWIMMING, "Demo/kula_tri2.lwo", 0, {0, 0, 0}, 0, false},
    {"Cube", FAMILY_SWIMMING, "Demo/Skrzynka.lwo", 0, {0, 0, 0}, 0, false},
    {"Kula2", FAMILY_SWIMMING, "Demo/kula_tri2.lwo", 0, {0, 0, 0}, 0, false},
    {"Whale_Fast", FAMILY_SWIMMING, "Demo/wielo2.lwo", 0, {0, 0, 0}, 0, false},
    {"Herring_Boids", FAMILY_BOIDS, "Demo/slec.lwo", 1.9f, {0, 0, 0}, 0, false},
    {"Herring_Boids_3", FAMILY_BOIDS, "Demo/slec2.lwo", 0.4f, {0, 0, 0}, 0, false},
    {"Herring_Boids_2", FAMILY_BOIDS, "Demo/ryba_cz.lwo", 14, {0, 0, 0}, 0, false},
    {"Herring_Boids_2b", FAMILY_BOIDS, "Demo/ryba_cz2.lwo", 14, {0, 0, 0}, 0, false},
    {"Yellow_Boids", FAMILY_BOIDS, "Demo/Ryba_Zolta.lwo", 11, {0, 0, 0}, 0, false},
    {"Yellow_Boids_2", FAMILY_BOIDS, "Demo/Ryba_Zolta.lwo", 1, {0, 0, 0}, 0, false},
    {"Blue_Boids", FAMILY_BOIDS, "Demo/ryba_zn.lwo", 7, {0, 0, 0}, 0, false},
    {"Blue_Boids_2", FAMILY_BOIDS, "Demo/ryba_zn2.lwo", 0.8f, {0, 0, 0}, 0, false},
    {"Green_Boids", FAMILY_BOIDS, "Demo/Ryba_ziel.lwo", 1, {0, 0, 0}, 0, false},
    {"Green_Boids_2", FAMILY_BOIDS, "Demo/Ryba_ziel.lwo", 1, {0, 0, 0}, 0, false},
    {"Green_Boids_6", FAMILY_BOIDS, "Demo/Ryba_ziel.lwo", 1, {0, 0, 0}, 0, false},
    {"Green_Boids_3", FAMILY_BOIDS, "Demo/Ryba_ziel.lwo", 1, {0, 0, 0}, 0, false},
    {"Lots_of_Herrings", FAMILY_BOIDS, "Demo/slec.lwo", 1.6f, {0, 0, 0}, 0, false},
    {"BoidsSmall", FAMILY_BOIDS, "Demo/Ryba_test3.lwo", 2, {0, 0, 0}, 0, false},
    {"BoidsMedium", FAMILY_BOIDS, "Demo/Ryba_test4.lwo", 2, {0, 0, 0}, 0, false},
    {"BoidsMedium2", FAMILY_BOIDS, "Demo/Ryba_test4.lwo", 2, {0, 0, 0}, 0, false},
    {"ElectroBlob", FAMILY_ELECTRO_SURFACE, "", 0, {0, 0, 0}, 0, false},
    {"ElectroBlobWiekszy", FAMILY_ELECTRO_SURFACE, "", 0, {0, 0, 0}, 0, false},
    {"ElectroBlobWiekszy2", FAMILY_ELECTRO_SURFACE, "", 0, {0, 0, 0}, 0, false},
    {"ElectroBlobThorus", FAMILY_ELECTRO_SURFACE, "", 0, {0, 0, 0}, 0, false},
    {"ElectroSin", FAMILY_ELECTRO_SURFACE, "", 0, {0, 0, 0}, 0, false},
    {"ElectroSin2", FAMILY_ELECTRO_SURFACE, "", 0, {0, 0, 0}, 0, false},
    {"ElectroCos", FAMILY_ELECTRO_SURFACE, "", 0, {0, 0, 0}, 0, false},
    {"ElectroCos2", FAMILY_ELECTRO_SURFACE, "", 0, {0, 0, 0}, 0, false},
    {"ElectroTan", FAMILY_ELECTRO_SURFACE, "", 0, {0, 0, 0}, 0, false},
    {"ElectroTan2", FAMILY_ELECTRO_SURFACE, "", 0, {0, 0, 0}, 0, false},
    {"ElectroCot", FAMILY_ELECTRO_SURFACE, "", 0, {0, 0, 0}, 0, false},
    {"ElectroCot2", FAMILY_ELECTRO_SURFACE, "", 0, {0, 0, 0}, 0, false},
    {"ElectroExp", FAMILY_ELECTRO_SURFACE, "", 0, {0, 0, 0}, 0, false},
    {"ElectroCurve", FAMILY_ELECTRO_RIBBON, "", 0, {0, 0, 0}, 0, false},
    {"ElectroCurveGray", FAMILY_ELECTRO_RIBBON, "", 0, {0, 0, 0}, 0, false},
    {"ElectroCurveGray2", FAMILY_ELECTRO_RIBBON, "", 0, {0, 0, 0}, 0, false},
    {"ElectroCurveGray3", FAMILY_ELECTRO_RIBBON, "", 0, {0, 0, 0}, 0, false},
    {"Bubbles", FAMILY_BUBBLES, "", 0, {0, 0, 0}, 0, false},
    {"Bubbles_dluzsze", FAMILY_BUBBLES, "", 0, {0, 0, 0}, 0, false},
    {"Bubbles_Nurek", FAMILY_BUBBLES, "", 0, {0, 0, 0}, 0, false},
    {"Bubbles_Whale", FAMILY_BUBBLES, "", 0, {0, 0, 0}, 0, false},
    {"Bubbles_Whale2", FAMILY_BUBBLES, "", 0, {0, 0, 0}, 0, false},
    {"Bubbles_Whale3", FAMILY_BUBBLES, "", 0, {0, 0, 0}, 0, false},
    {"Bubbles_Whale4", FAMILY_BUBBLES, "", 0, {0, 0, 0}, 0, false},
    {"Bubbles_Whale5", FAMILY_BUBBLES, "", 0, {0, 0, 0}, 0, false},
    {"Bubbles_Dziad", FAMILY_BUBBLES, "", 0, {0, 0, 0}, 0, false},
    {"Bubbles_Dziad_Spada", FAMILY_BUBBLES, "", 0, {0, 0, 0}, 0, false},
    {"Bubbles_Dziad_Spada_Bok", FAMILY_BUBBLES, "", 0, {0, 0, 0}, 0, false},
    {"Bubbles_Nos1", FAMILY_BUBBLES, "Demo/bable_z_nosa_", 0, {0, 0, 0}, 0, false},
    {"Bubbles_Nos2", FAMILY_BUBBLES, "Demo/bable_z_nosa2_", 0, {0, 0, 0}, 0, false},
    {"Bubbles_Ucho1", FAMILY_BUBBLES, "Demo/bable_z_ucha_", 0, {0, 0, 0}, 0, false},
    {"Bubbles_Ucho2", FAMILY_BUBBLES, "Demo/bable_z_ucha2_", 0, {0, 0, 0}, 0, false},
    {"Bubbles_Usta", FAMILY_BUBBLES, "Demo/bable_z_ust_", 0, {0, 0, 0}, 0, false},
};

const char* const kNoFiles[] = {nullptr};
const char* const kBoidsFiles[] = {SHAFT_OBJECT, SHAFT_VERTEX_PROGRAM, SHAFT_FRAGMENT_PROGRAM, nullptr};
const char* const kTypingFiles[] = {"Demo/Fonts.JPG", nullptr};
const char* const kBlobFiles[] = {"Demo/Env1.JPG", nullptr};
const char* const kSurfaceFiles[] = {"Demo/Kolorki.JPG", "Demo/Kolorki3.JPG", nullptr};
const char* const kRibbonFiles[] = {"Demo/Kolorki2.JPG", nullptr};

}  // namespace

const EffectRow* findEffectRow(const char* name) {
    for (const EffectRow& row : kRows)
        if (std::strcmp(row.name, name) == 0) return &row;
    return nullptr;
}

const EffectRow* effectRows(int* count) {
    *count = int(sizeof kRows / sizeof kRows[0]);
    return kRows;
}

const char* effectFamilyName(EffectFamily family) {
    static const char* const kNames[FAMILY_COUNT] = {
        "fractal", "picture",        "blur",           "typing", "soft-body", "light-blob",
        "metaballs", "swimming", "boids", "electro-surface", "electro-ribbon", "bubbles"};
    return family >= 0 && family < FAMILY_COUNT ? kNames[family] : "?";
}

const char* const* familyFiles(EffectFamily family) {
    switch (family) {
        case FAMILY_BOIDS: return kBoidsFiles;
        case FAMILY_TYPING: return kTypingFiles;
        case FAMILY_LIGHT_BLOB: return kBlobFiles;
        case FAMILY_ELECTRO_SURFACE: return kSurfaceFiles;
        case FAMILY_ELECTRO_RIBBON: return kRibbonFiles;
        default: return kNoFiles;
    }
}
